#pragma once
// A small strict JSON reader for the tests that check a run report field by field: objects
// (members in file order), arrays, strings with their escapes, integers, true, false, null.
// Anything else (a trailing comma, a bare word, text after the value) throws.

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace morvel::testing {

struct Json {
  using Object = std::vector<std::pair<std::string, Json>>;
  using Array = std::vector<Json>;
  std::variant<std::nullptr_t, bool, std::int64_t, std::string, Array, Object> value;

  const Json& operator[](std::string_view name) const {
    for (const auto& [key, member] : std::get<Object>(value))
      if (key == name) return member;
    throw std::out_of_range("no member " + std::string(name));
  }
  const Json& operator[](std::size_t index) const { return std::get<Array>(value).at(index); }
  [[nodiscard]] const std::string& text() const { return std::get<std::string>(value); }
  [[nodiscard]] std::int64_t number() const { return std::get<std::int64_t>(value); }
  [[nodiscard]] std::size_t size() const {
    if (const auto* array = std::get_if<Array>(&value)) return array->size();
    return std::get<Object>(value).size();
  }
  [[nodiscard]] std::vector<std::string> keys() const {
    std::vector<std::string> names;
    for (const auto& member : std::get<Object>(value)) names.push_back(member.first);
    return names;
  }

  static Json Parse(std::string_view text) {
    Reader reader{text};
    Json json = reader.Value();
    reader.Blanks();
    if (reader.at != text.size()) throw std::runtime_error("text after the value");
    return json;
  }

 private:
  struct Reader {
    std::string_view text;
    std::size_t at = 0;

    void Blanks() {
      while (at < text.size() &&
             (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    }
    char Next() {
      if (at >= text.size()) throw std::runtime_error("the text ends early");
      return text[at++];
    }
    void Expect(std::string_view word) {
      if (text.substr(at, word.size()) != word)
        throw std::runtime_error("expected " + std::string(word));
      at += word.size();
    }
    Json Value() {
      Blanks();
      if (at >= text.size()) throw std::runtime_error("no value");
      const char c = text[at];
      if (c == '{') return Members();
      if (c == '[') return Elements();
      if (c == '"') return Json{String()};
      if (c == 't') return Expect("true"), Json{true};
      if (c == 'f') return Expect("false"), Json{false};
      if (c == 'n') return Expect("null"), Json{nullptr};
      return Number();
    }
    Json Number() {
      const std::size_t start = at;
      if (at < text.size() && text[at] == '-') ++at;
      while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
      if (at == start || (text[start] == '-' && at == start + 1))
        throw std::runtime_error("not a value at " + std::to_string(start));
      return Json{std::stoll(std::string(text.substr(start, at - start)))};
    }
    std::string String() {
      Expect("\"");
      std::string out;
      for (;;) {
        const char c = Next();
        if (c == '"') return out;
        if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("raw control character");
        if (c != '\\') {
          out += c;
          continue;
        }
        const char e = Next();
        if (e == 'u') {
          const unsigned code = std::stoul(std::string(text.substr(at, 4)), nullptr, 16);
          at += 4;
          if (code >= 0x80) throw std::runtime_error("the tests escape ASCII only");
          out += static_cast<char>(code);
        } else {
          const std::string_view from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
          const std::size_t which = from.find(e);
          if (which == std::string_view::npos) throw std::runtime_error("bad escape");
          out += to[which];
        }
      }
    }
    Json Members() {
      Expect("{");
      Object members;
      Blanks();
      if (at < text.size() && text[at] == '}') return ++at, Json{members};
      for (;;) {
        Blanks();
        std::string name = String();
        Blanks();
        Expect(":");
        members.emplace_back(std::move(name), Value());
        Blanks();
        if (Next() == '}') return Json{members};
        if (text[at - 1] != ',') throw std::runtime_error("expected , or }");
      }
    }
    Json Elements() {
      Expect("[");
      Array elements;
      Blanks();
      if (at < text.size() && text[at] == ']') return ++at, Json{elements};
      for (;;) {
        elements.push_back(Value());
        Blanks();
        if (Next() == ']') return Json{elements};
        if (text[at - 1] != ',') throw std::runtime_error("expected , or ]");
      }
    }
  };
};

}  // namespace morvel::testing
