#include "ui/hashwick_dlg.h"

#include <optional>

#include "framework/paint.h"
#include "framework/shell.h"
#include "framework/win_app.h"
#include "platform/file_attributes.h"
#include "ui/resource.h"

namespace {

constexpr const char16_t* kBrowseTitle = u"ディレクトリを指定してください";

// The folder that holds a file: its path up to the last separator, keeping the separator of a
// root ("/" on Linux, "C:\" on Windows).
CString FolderOf(const CString& path) {
    CString folder = path.substr(0, path.rfind(kPathSeparator));
    if (folder.empty() || folder.back() == u':')
        folder += kPathSeparator;
    return folder;
}

// The path of the dropped item at the index.
CString DroppedPath(HDROP drop, UINT index) {
    CString path(DragQueryFileW(drop, index, nullptr, 0), u'\0');
    DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size() + 1));
    return path;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHashwickDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_BROWSE, &CHashwickDlg::OnBrowse)
ON_WM_DROPFILES()
ON_BN_CLICKED(IDC_START, &CHashwickDlg::OnStart)
ON_BN_CLICKED(IDC_SHOW_RESULT, &CHashwickDlg::OnShowResult)
ON_BN_CLICKED(IDC_EXIT, &CHashwickDlg::OnExit)
ON_BN_CLICKED(IDC_CANCEL_RUN, &CHashwickDlg::OnCancelRun)
ON_MESSAGE(UM_SCAN_COMPLETE, &CHashwickDlg::OnScanComplete)
ON_MESSAGE(UM_PROGRESS, &CHashwickDlg::OnProgress)
ON_MESSAGE(UM_OUT_OF_MEMORY, &CHashwickDlg::OnOutOfMemory)
ON_WM_CLOSE()
END_MESSAGE_MAP()

CHashwickDlg::CHashwickDlg(CWnd* parent)
    : CDialog(IDD_MAIN_DIALOG, parent), m_icon(AfxGetApp()->LoadIcon(IDI_APP_ICON)) {}

CHashwickDlg::~CHashwickDlg() = default;

void CHashwickDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Text(exchange, IDC_FOLDER, m_folder);
    DDX_Text(exchange, IDC_TOTAL, m_total);
    DDX_Text(exchange, IDC_PROCESSED, m_processed);
}

BOOL CHashwickDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    g_hMainDialog = m_hWnd;
    DragAcceptFiles();
    ShowIdle();
    if (m_autoMode == 1)
        StartRun();
    return TRUE;
}

void CHashwickDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.Width() - iconWidth + 1) / 2;
    const int y = (client.Height() - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_icon);
}

HCURSOR CHashwickDlg::OnQueryDragIcon() {
    return m_icon;
}

void CHashwickDlg::OnBrowse() {
    BROWSEINFOW info;
    info.hwndOwner = m_hWnd;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = BIF_EDITBOX;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    std::u16string path(MAX_PATH, u'\0');
    if (item != nullptr) {
        SHGetPathFromIDListW(item, path.data());
        CoTaskMemFree(item);
    }
    m_folder = path.c_str();
    UpdateData(FALSE);
}

// A folder dropped on the dialog goes into the folder field as one chosen with "..." does; a
// dropped file gives the folder that holds it. Of several items the first folder counts, and
// without one the first file's folder; items that are gone count for nothing.
void CHashwickDlg::OnDropFiles(HDROP drop) {
    std::optional<CString> folder, fileFolder;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count && !folder; ++index) {
        const CString path = DroppedPath(drop, index);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            folder = path;
        } else if (!fileFolder) {
            fileFolder = FolderOf(path);
        }
    }
    DragFinish(drop);
    if (!folder && !fileFolder)
        return;
    m_folder = folder ? *folder : *fileFolder;
    UpdateData(FALSE);
}

void CHashwickDlg::OnShowResult() {
    constexpr const char16_t* kNotOpened = u"結果ファイルを開けませんでした。";
    const INT_PTR result =
        ShellExecuteW(nullptr, u"open", m_listFileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (result > 32)
        return;
    const CString text =
        CString(kNotOpened) + u"\n" + m_listFileName + u"\n" + ShellExecuteErrorText(result);
    MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}
