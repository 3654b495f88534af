// Resource and control identifiers of the application.
#pragma once

constexpr unsigned IDD_MAIN_DIALOG = 102;
constexpr unsigned IDI_APP_ICON = 128;

constexpr int IDC_FOLDER = 1000;
constexpr int IDC_BROWSE = 1001;
constexpr int IDC_START = 1002;
constexpr int IDC_SHOW_RESULT = 1003;
constexpr int IDC_PROCESSED = 1004;
constexpr int IDC_TOTAL = 1005;
constexpr int IDC_CANCEL_RUN = 1006;
constexpr int IDC_EXIT = 1007;
