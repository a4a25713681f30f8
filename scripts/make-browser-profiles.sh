#!/usr/bin/env bash
# Makes the browser profiles that tests/data/browser-profiles holds: installs Firefox ESR
# and Chromium from Debian, lets each visit a few pages served on this machine (history,
# cookies, cached files, a submitted form), lets it quit on its own, then keeps a trimmed
# copy of what it wrote. Not part of the tests or CI: run it by hand when the data should
# follow newer browsers, then commit the result. Needs root for apt-get; the browsers run
# offline (only 127.0.0.1 is used).
#
#   bash scripts/make-browser-profiles.sh [OUTPUT]   (default tests/data/browser-profiles)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$repo/tests/data/browser-profiles}
work=$(mktemp -d /tmp/morvel-profiles.XXXXXX)
trap 'kill "${server_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

if ! command -v firefox-esr >/dev/null || ! command -v chromium >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends firefox-esr chromium
fi
command -v sqlite3 >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y sqlite3

# The pages: each sets a lasting cookie, loads a cacheable picture and style sheet, and
# goes on to the next; the form page submits a search; the last page closes the window.
site=$work/site
mkdir -p "$site"
python3 - "$site" <<'PY'
import sys, pathlib, base64
site = pathlib.Path(sys.argv[1])
gif = base64.b64decode("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==")
for name in ("logo.gif", "photo.gif"):
    (site / name).write_bytes(gif)
(site / "style.css").write_text("body { font-family: sans-serif; }\n")
pages = [("index.html", "Morvel test home", "news.html"),
         ("news.html", "Morvel test news", "form.html"),
         ("form.html", "Morvel test search", None),
         ("result.html", "Morvel test results", "close.html")]
for name, title, following in pages:
    go = f"setTimeout(() => location.href = '{following}', 300);" if following else ""
    form = ""
    if name == "form.html":
        form = ('<form action="result.html" method="get" autocomplete="on">'
                '<input name="q" id="q"><input name="email" type="email">'
                '<button id="go">Search</button></form>')
        go = ("document.getElementById('q').value = 'holiday photos';"
              "document.forms[0].email.value = 'user@example.test';"
              "setTimeout(() => document.forms[0].requestSubmit(), 300);")
    (site / name).write_text(
        f"<!doctype html><html><head><title>{title}</title>"
        '<link rel="stylesheet" href="style.css"></head><body>'
        f'<h1>{title}</h1><img src="logo.gif"><img src="photo.gif">{form}'
        f"<script>document.cookie = 'visit_{name.split('.')[0]}=1; max-age=31536000; path=/';"
        f"{go}</script></body></html>\n")
(site / "close.html").write_text(
    "<!doctype html><title>bye</title><script>"
    "document.cookie = 'last=bye; max-age=31536000; path=/'; setTimeout(() => window.close(), 500);"
    "</script>\n")
PY

port=8765
python3 - "$site" "$port" <<'PY' &
import sys, http.server, functools
class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header("Cache-Control", "max-age=86400")
        self.send_header("Set-Cookie", "server_session=abc123; Max-Age=31536000; Path=/")
        super().end_headers()
    def log_message(self, *args):
        pass
http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[2])),
    functools.partial(Handler, directory=sys.argv[1])).serve_forever()
PY
server_pid=$!
sleep 1
url=http://127.0.0.1:$port/index.html

# Firefox: a fresh profile whose prefs let the page close the last window (so Firefox
# quits as a user would) and keep it off the network.
ff=$work/firefox/Profiles/m0rv3l01.default-esr
mkdir -p "$ff"
cat > "$ff/user.js" <<'JS'
user_pref("dom.allow_scripts_to_close_windows", true);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("app.update.enabled", false);
user_pref("extensions.update.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("browser.formfill.enable", true);
user_pref("browser.cache.disk.enable", true);
user_pref("browser.cache.disk.smart_size.enabled", false);
user_pref("browser.cache.disk.capacity", 4096);
JS
HOME=$work/home timeout 120 firefox-esr --headless --no-remote --profile "$ff" "$url" \
  >"$work/firefox.log" 2>&1 || echo "firefox ended with $? (log: firefox.log)" >&2

# Chromium: a fresh user data folder, one page at a time; --dump-dom quits once the page
# has loaded, through the browser's ordinary shutdown, so the profile is written out. The
# search result is visited with its query, as the form would send it.
cr=$work/chromium
for page in index.html news.html form.html "result.html?q=holiday+photos" close.html; do
  HOME=$work/home timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic \
    --no-first-run --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$cr" --dump-dom "http://127.0.0.1:$port/$page" \
    >>"$work/chromium.log" 2>&1 || echo "chromium ended with $? on $page" >&2
done

# Keep what the cleaners and their tests look at; drop the rest (extensions, startup
# caches, crash reports). Databases are compacted so the data stays small; their tables
# and rows are as the browser left them.
rm -rf "$out"
mkdir -p "$out/firefox" "$out/chromium/Default"
keep_ff=(places.sqlite cookies.sqlite formhistory.sqlite prefs.js favicons.sqlite
         permissions.sqlite content-prefs.sqlite)
dest_ff=$out/firefox/m0rv3l01.default-esr
mkdir -p "$dest_ff"
for f in "${keep_ff[@]}"; do [ -f "$ff/$f" ] && cp "$ff/$f" "$dest_ff/"; done
# Firefox keeps its disk cache beside the profile when the profile is not in the default
# place (on Windows: under the local application data); a few entries suffice.
cache_src=$ff/cache2
[ -d "$cache_src" ] || cache_src=$(find "$work/home" -type d -name cache2 | head -1)
if [ -n "$cache_src" ] && [ -d "$cache_src" ]; then
  mkdir -p "$out/firefox-local/m0rv3l01.default-esr/cache2/entries"
  find "$cache_src/entries" -type f | head -8 |
    xargs -r cp -t "$out/firefox-local/m0rv3l01.default-esr/cache2/entries"
fi
keep_cr=(History Cookies "Web Data" "Login Data" "Visited Links" Preferences "Top Sites"
         "Network/Cookies" "Current Session" "Archived History" Favicons)
for f in "${keep_cr[@]}"; do
  if [ -f "$cr/Default/$f" ]; then
    mkdir -p "$(dirname "$out/chromium/Default/$f")"
    cp "$cr/Default/$f" "$out/chromium/Default/$f"
  fi
done
if [ -d "$cr/Default/Cache/Cache_Data" ]; then
  mkdir -p "$out/chromium/Default/Cache/Cache_Data"
  find "$cr/Default/Cache/Cache_Data" -type f | head -8 |
    xargs -r cp -t "$out/chromium/Default/Cache/Cache_Data"
fi
find "$out" -type f | while read -r f; do
  if [ "$(head -c 15 "$f" | tr -d '\0')" = "SQLite format 3" ]; then
    sqlite3 "$f" "PRAGMA journal_mode=DELETE; PRAGMA page_size=4096; VACUUM;" >/dev/null
  fi
done
du -sh "$out"
find "$out" -type f | sort
