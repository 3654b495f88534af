#include "ui/resources.h"

#include <cstddef>

#include "ui/resource.h"

extern const unsigned char kIcon16[], kIcon24[], kIcon32[], kIcon48[], kIcon256[];
extern const std::size_t kIcon16Size, kIcon24Size, kIcon32Size, kIcon48Size, kIcon256Size;

namespace {

// x, y, width, height in dialog units.
constexpr RECT Area(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCountField = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_READONLY | ES_RIGHT;

const DialogTemplate kMainDialog = {
    u"Hashwick",
    Area(0, 0, 179, 69),
    u"MS UI Gothic",
    9,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT |
        DS_SYSMODAL,
    WS_EX_APPWINDOW,
    {
        {IDC_FOLDER, ControlClass::Edit, u"",
         WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, 0,
         Area(7, 23, 150, 14)},
        {IDC_BROWSE, ControlClass::Button, u"...", kButton, 0, Area(159, 23, 14, 14)},
        {IDC_START, ControlClass::Button, u"MD5作成", kButton, 0, Area(8, 44, 35, 18)},
        {IDC_SHOW_RESULT, ControlClass::Button, u"結果表示", kButton, 0, Area(51, 44, 35, 18)},
        {IDC_CANCEL_RUN, ControlClass::Button, u"キャンセル", kButton, 0, Area(94, 44, 35, 18)},
        {IDC_EXIT, ControlClass::Button, u"終了", kButton, WS_EX_DLGMODALFRAME,
         Area(137, 44, 35, 18)},
        {IDC_PROCESSED, ControlClass::Edit, u"", kCountField, 0, Area(7, 7, 27, 12)},
        {IDC_TOTAL, ControlClass::Edit, u"", kCountField, 0, Area(45, 7, 27, 12)},
        {IDC_STATIC, ControlClass::Static, u"/", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0,
         Area(37, 9, 8, 8)},
    },
};

}  // namespace

const ResourceModule& HashwickResources() {
    static const ResourceModule module = {
        {{IDD_MAIN_DIALOG, &kMainDialog}},
        {{IDI_APP_ICON,
          {{48, {kIcon48, kIcon48Size}},
           {32, {kIcon32, kIcon32Size}},
           {24, {kIcon24, kIcon24Size}},
           {16, {kIcon16, kIcon16Size}},
           {256, {kIcon256, kIcon256Size}}}}},
        {{AFX_IDS_APP_TITLE, u"Hashwick"}},
    };
    return module;
}
