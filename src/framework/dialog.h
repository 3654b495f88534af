// Modal dialogs built from a template, with data exchange between members and controls.
#pragma once

#include "framework/wnd.h"

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
    bool m_failed = false;
};

// Text of a control to and from a string member.
void DDX_Text(CDataExchange* exchange, int id, CString& value);
// Text of a control to and from an integer member, in decimal. A text that is not a decimal
// integer leaves the member as it was and fails the exchange.
void DDX_Text(CDataExchange* exchange, int id, int& value);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Creates the window from the template, initialises it, shows it unless it has already
    // ended, and handles messages until EndDialog. Returns the value given to EndDialog.
    virtual INT_PTR DoModal();
    // Ends the modal loop with the result once the handler running now returns.
    void EndDialog(int result);
    bool HasEnded() const { return ended_; }

    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // The dialog manager's keys: Enter presses OK, Escape Cancel.
    BOOL PreTranslateMessage(MSG* message) override;

  protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* exchange);
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    UINT templateId_;
    int result_ = IDCANCEL;
    bool ended_ = false;
};
