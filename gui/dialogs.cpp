#include "gui/dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "app/jpeg_picture.h"
#include "app/main_controller.h"
#include "gui/resource.h"

namespace morvel::gui {

namespace {

constexpr wchar_t kCaptionShown[] = L"MorvelCaptionShown";
constexpr wchar_t kMail[] = L"mailto:support@morvel.quillon.example";
constexpr wchar_t kProductSite[] = L"https://morvel.quillon.example/";
constexpr wchar_t kMakerSite[] = L"https://www.quillon.example/";

void CentreOnOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT o, d;
  if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0);
  else
    GetWindowRect(owner, &o);
  GetWindowRect(dialog, &d);
  const int w = d.right - d.left, h = d.bottom - d.top;
  SetWindowPos(dialog, nullptr, o.left + (o.right - o.left - w) / 2,
               o.top + (o.bottom - o.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR CALLBACK AskDeleteProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      CentreOnOwner(dialog);
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      if (id != IDC_ASK_LABEL1 && id != IDC_ASK_LABEL5) return FALSE;
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, RGB(255, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_ASK: {
          auto* options = reinterpret_cast<TOptionsSetting*>(GetWindowLongPtrW(dialog, DWLP_USER));
          options->AskForSweep = IsDlgButtonChecked(dialog, IDC_ASK) != BST_CHECKED;
          return TRUE;
        }
        case IDOK:
        case IDCANCEL:  // the close box too
          EndDialog(dialog, LOWORD(wparam));
          return TRUE;
      }
      break;
  }
  return FALSE;
}

struct AboutState {
  HBITMAP banner;
};

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      SetDlgItemTextW(dialog, IDC_ABOUT_TITLE, L"Morvel");
      CentreOnOwner(dialog);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != IDC_ABOUT_BANNER) return FALSE;
      auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (!DrawPicture(item->hDC, state->banner, item->rcItem))
        FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code != NM_CLICK && header->code != NM_RETURN) return FALSE;
      const wchar_t* target = header->idFrom == IDC_ABOUT_MAIL       ? kMail
                              : header->idFrom == IDC_ABOUT_SITE     ? kProductSite
                              : header->idFrom == IDC_ABOUT_MAINSITE ? kMakerSite
                                                                     : nullptr;
      if (target != nullptr) ShellExecuteW(dialog, L"Open", target, nullptr, nullptr, SW_SHOW);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

LRESULT CALLBACK ProgressCaptionProc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                     DWORD_PTR) {
  if (message != WM_PAINT || GetPropW(bar, kCaptionShown) == nullptr)
    return DefSubclassProc(bar, message, wparam, lparam);
  const LRESULT result = DefSubclassProc(bar, message, wparam, lparam);
  wchar_t text[128] = {};
  GetWindowTextW(bar, text, 128);
  HDC dc = GetDC(bar);
  RECT r;
  GetClientRect(bar, &r);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetParent(bar), WM_GETFONT, 0, 0)));
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(bar, dc);
  return result;
}

}  // namespace

HBITMAP LoadPictureResource(HINSTANCE instance, int id) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(instance, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return nullptr;
  const auto picture = app::DecodeJpeg(
      std::string_view(static_cast<const char*>(bytes), SizeofResource(instance, found)));
  if (!picture) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture->width;
  info.bmiHeader.biHeight = -picture->height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap == nullptr || pixels == nullptr) return nullptr;
  std::memcpy(pixels, picture->bgr.data(), picture->bgr.size());
  return bitmap;
}

bool DrawPicture(HDC dc, HBITMAP picture, const RECT& area) {
  if (picture == nullptr) return false;
  BITMAP bm{};
  GetObjectW(picture, sizeof bm, &bm);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, picture);
  SetStretchBltMode(dc, HALFTONE);
  StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source, 0, 0,
             bm.bmWidth, bm.bmHeight, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  return true;
}

bool ShowAskDeleteDialog(HINSTANCE instance, HWND owner, TOptionsSetting& options) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ASKDELETE), owner, AskDeleteProc,
                         reinterpret_cast<LPARAM>(&options)) == IDOK;
}

void ShowAboutDialog(HINSTANCE instance, HWND owner) {
  AboutState state{LoadPictureResource(instance, IDP_BANNER)};
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc,
                  reinterpret_cast<LPARAM>(&state));
  if (state.banner != nullptr) DeleteObject(state.banner);
}

void AttachProgressCaption(HWND bar) { SetWindowSubclass(bar, ProgressCaptionProc, 1, 0); }

void SetProgressCaptionShown(HWND bar, bool shown) {
  if (shown)
    SetPropW(bar, kCaptionShown, reinterpret_cast<HANDLE>(1));
  else
    RemovePropW(bar, kCaptionShown);
  InvalidateRect(bar, nullptr, FALSE);
}

}  // namespace morvel::gui
