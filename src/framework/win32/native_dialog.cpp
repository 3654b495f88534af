#include "framework/win32/native_dialog.h"

#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <algorithm>

#include "framework/win32/app_icon.h"
#include "framework/win32/fitted_font.h"
#include "framework/win32/wait_cursor.h"
#include "framework/win32/wide_text.h"

namespace {

constexpr UINT kWakeUp = WM_APP;
constexpr UINT kShowTexts = WM_APP + 1;
constexpr UINT_PTR kWakeUpTimer = 1;

// A dialog procedure's result for messages whose answer goes through DWLP_MSGRESULT.
INT_PTR Answer(HWND window, LRESULT result) {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

NativeDialog::NativeDialog(const std::vector<std::uint16_t>& dialogTemplate,
                           NativeDialogEvents& events)
    : events_(events) {
    window_ = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
        nullptr, &NativeDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[8] = {};
        GetClassNameW(child, className, 8);
        if (lstrcmpiW(className, L"Edit") == 0 && (GetWindowLongW(child, GWL_STYLE) & ES_READONLY))
            readOnlyFields_.push_back(child);
    }
}

NativeDialog::~NativeDialog() {
    if (window_ != nullptr)
        DestroyWindow(window_);
    if (fittedFont_ != nullptr)
        DeleteObject(fittedFont_);
}

INT_PTR NativeDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        return TRUE;  // the focus goes to the first control with a tab stop
    }
    auto* self = reinterpret_cast<NativeDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ != window)
        return FALSE;
    bool handled = true;
    const INT_PTR result = self->Respond(message, wParam, lParam, &handled);
    return handled ? result : FALSE;
}

INT_PTR NativeDialog::Respond(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) == BN_CLICKED) {
                events_.Clicked(id);
            } else if (HIWORD(wParam) == EN_CHANGE) {
                const auto field = reinterpret_cast<HWND>(lParam);
                std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
                GetWindowTextW(field, text.data(), static_cast<int>(text.size()));
                events_.TextEdited(id, FromWide(text.c_str()));
            }
            return TRUE;
        }
        case WM_CLOSE:
            events_.CloseCommand();
            return TRUE;
        case WM_ACTIVATE: {
            // The dialog manager keeps the control with the focus while another window is
            // active (a question), and gives the focus back to it. One disabled meanwhile (the
            // run ended while the question was open) cannot take it back: the focus goes on to
            // the next enabled control, as when a control is disabled while it has the focus.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                focusKept_ = focus != nullptr && IsChild(window_, focus) ? focus : nullptr;
                break;
            }
            if (focusKept_ == nullptr || IsWindowEnabled(focusKept_) || IsIconic(window_))
                break;
            MoveFocusOn(focusKept_);
            return TRUE;
        }
        case WM_DROPFILES: {
            const auto drop = reinterpret_cast<HDROP>(wParam);
            std::vector<std::u16string> paths(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
            for (UINT index = 0; index < paths.size(); ++index) {
                std::wstring path(DragQueryFileW(drop, index, nullptr, 0) + 1, L'\0');
                DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size()));
                paths[index] = FromWide(path.c_str());
            }
            DragFinish(drop);
            events_.FilesDropped(std::move(paths));
            return TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            paintContext_ = BeginPaint(window_, &paint);
            events_.Paint();
            paintContext_ = nullptr;
            EndPaint(window_, &paint);
            return TRUE;
        }
        case WM_QUERYDRAGICON:
            // One of the few messages whose answer is the dialog procedure's own result.
            return reinterpret_cast<INT_PTR>(AppIcon(events_.DragIcon(), true));
        case WM_SETCURSOR:
            if (!WaitCursorShown())
                break;
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return Answer(window_, TRUE);
        case kWakeUp:
            events_.WokenUp();
            return TRUE;
        case WM_TIMER:
            if (wParam != kWakeUpTimer)
                break;
            KillTimer(window_, kWakeUpTimer);
            events_.WokenUp();
            return TRUE;
        case kShowTexts:
            events_.ShowTexts();
            return TRUE;
        default:
            if (message > DM_REPOSITION && message < WM_APP) {
                events_.ApplicationMessage(message, wParam, lParam);
                return TRUE;
            }
            break;
    }
    *handled = false;
    return FALSE;
}

void NativeDialog::Show() {
    RECT frame;
    GetWindowRect(window_, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // A system-modal template asks for a window above all others; not every dialog manager
    // makes it so by itself.
    const bool topmost = (GetWindowLongW(window_, GWL_STYLE) & DS_SYSMODAL) != 0;
    SetWindowPos(window_, topmost ? HWND_TOPMOST : nullptr,
                 work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | (topmost ? 0 : SWP_NOZORDER));
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void NativeDialog::SetCaption(const std::u16string& text) {
    SetWindowTextW(window_, ToWide(text).c_str());
}

void NativeDialog::SetControlText(int id, const std::u16string& text) {
    SetDlgItemTextW(window_, id, ToWide(text).c_str());
}

void NativeDialog::EnableControl(int id, bool enable) {
    const HWND control = GetDlgItem(window_, id);
    if (!enable && control != nullptr && control == GetFocus())
        MoveFocusOn(control);
    EnableWindow(control, enable ? TRUE : FALSE);
}

void NativeDialog::MoveFocusOn(HWND from) {
    const HWND next = GetNextDlgTabItem(window_, from, FALSE);
    if (next != nullptr && next != from)
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

namespace {

// Whether the field's own text, and a text of the widest figures as long as the longest, fit
// the field's formatting rectangle in the font. The field takes the font for the measure: its
// margins follow the font.
bool FitsField(HWND field, HFONT font, int longest) {
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    RECT room{};
    SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    GetWindowTextW(field, text.data(), static_cast<int>(text.size()));
    text.pop_back();
    const HDC context = GetDC(field);
    const HGDIOBJ kept = SelectObject(context, font);
    SIZE extent{};
    GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &extent);
    LONG widest = extent.cx;
    for (wchar_t figure = L'0'; figure <= L'9'; ++figure) {
        SIZE figureExtent{};
        GetTextExtentPoint32W(context, &figure, 1, &figureExtent);
        widest = std::max(widest, figureExtent.cx * longest);
    }
    SelectObject(context, kept);
    ReleaseDC(field, context);
    return widest <= room.right - room.left;
}

}  // namespace

void NativeDialog::FitReadOnlyFields() {
    int longest = 0;
    for (HWND field : readOnlyFields_)
        longest = std::max(longest, GetWindowTextLengthW(field));
    if (longest == fittedLength_)
        return;
    fittedLength_ = longest;
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    const HFONT fitted = FitFont(dialogFont, [this, longest](HFONT font) {
        return std::all_of(readOnlyFields_.begin(), readOnlyFields_.end(),
                           [font, longest](HWND field) { return FitsField(field, font, longest); });
    });
    for (HWND field : readOnlyFields_)
        SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(fitted), TRUE);
    if (fittedFont_ != nullptr)
        DeleteObject(fittedFont_);
    fittedFont_ = fitted;
}

void NativeDialog::AcceptFiles(bool accept) {
    DragAcceptFiles(window_, accept ? TRUE : FALSE);
}

void NativeDialog::SetIcon(unsigned resourceId) {
    SendMessageW(window_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(AppIcon(resourceId, true)));
    SendMessageW(window_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(AppIcon(resourceId, false)));
}

bool NativeDialog::IsMinimized() const {
    return IsIconic(window_) != FALSE;
}

int NativeDialog::ClientWidth() const {
    RECT client;
    GetClientRect(window_, &client);
    return client.right - client.left;
}

int NativeDialog::ClientHeight() const {
    RECT client;
    GetClientRect(window_, &client);
    return client.bottom - client.top;
}

void NativeDialog::DrawIcon(int x, int y, unsigned resourceId) {
    if (paintContext_ != nullptr)
        ::DrawIcon(paintContext_, x, y, AppIcon(resourceId, true));
}

bool NativeDialog::Addressee(HWND window, int* id) const {
    if (window == window_) {
        *id = NativeDialogEvents::kDialogItself;
        return true;
    }
    if (window == nullptr || IsChild(window_, window) == FALSE)
        return false;
    while (GetParent(window) != window_)
        window = GetParent(window);
    *id = GetDlgCtrlID(window);
    return true;
}

void NativeDialog::RunModalLoop() {
    MSG message;
    while (window_ != nullptr && !ended_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The application sees the message first; then the dialog manager, which moves the
        // focus with Tab and presses buttons with their keys.
        int id = 0;
        if (Addressee(message.hwnd, &id) &&
            events_.PreTranslate(id, message.message, message.wParam, message.lParam)) {
            continue;
        }
        if (IsDialogMessageW(window_, &message) != FALSE)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void NativeDialog::WakeUp(HWND window) {
    // Posted, not sent: the caller may be another thread, which must never wait for this one.
    PostMessageW(window, kWakeUp, 0, 0);
}

void NativeDialog::WakeUpAfter(std::chrono::milliseconds delay) {
    SetTimer(window_, kWakeUpTimer, static_cast<UINT>(delay.count()), nullptr);
}

void NativeDialog::ShowTextsSoon() {
    PostMessageW(window_, kShowTexts, 0, 0);
}
