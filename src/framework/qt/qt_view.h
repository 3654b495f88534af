// The window of one dialog on Qt: the template becomes a fixed-size window of Qt widgets, one
// per control, each showing its framework window's text and enabled state.
#pragma once

#include <QCursor>
#include <QFont>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "framework/backend.h"

class DialogWindow;
class QEventLoop;
class QLineEdit;
class QObject;
class QPainter;
class QWidget;

class QtBackend;

// The widgets are made when the window is first shown or owns a box, so that the dialog's
// initialisation, which may start a run, does not wait for them.
class QtView final : public DialogView {
  public:
    QtView(QtBackend& backend, CDialog& dialog, const DialogTemplate& resource);
    ~QtView() override;

    void Show() override;
    void WindowChanged(CWnd& window) override;
    void EndModalLoop() override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    std::optional<CString> BrowseForFolder(const CString& title) override;
    bool IsMinimized() const override;
    RECT ClientRect() const override;
    void DrawIcon(int x, int y, HICON icon) override;

    // Handles events until the dialog has ended.
    void RunLoop();
    // The framework window that a Qt object shows, if any.
    CWnd* WindowOf(const QObject* object) const;
    // The live view that shows the Qt object, if any.
    static QtView* Of(const QObject* object);
    // The wait cursor over every live dialog window, its controls included; message boxes and
    // choosers keep the arrow.
    static void ShowWaitCursor(bool on);

  private:
    // Makes the widgets, showing the framework windows' state, if that has not happened yet.
    void Realize();
    void Refresh(CWnd& window, QWidget& shown);
    // Shows the texts that changed since the last time: a run's counts change thousands of times
    // a second, and the screen needs each text once per pass of the event loop at most.
    void ShowChangedTexts();
    // Read-only fields show the counts the dialog writes. They share one font, in which a count
    // as long as their longest text fits whole, whatever its figures.
    void FitReadOnlyFields();

    QtBackend& backend_;
    CDialog& dialog_;
    const DialogTemplate& resource_;
    std::unique_ptr<DialogWindow> widget_;
    std::unordered_map<const QObject*, CWnd*> windows_;
    std::unordered_map<const CWnd*, QWidget*> controls_;
    QEventLoop* loop_ = nullptr;
    bool ended_ = false;
    QPainter* painter_ = nullptr;
    // While the wait cursor shows: each widget's own cursor, or none where it had none.
    std::unordered_map<QWidget*, std::optional<QCursor>> keptCursors_;
    std::vector<QLineEdit*> readOnlyFields_;
    std::vector<CWnd*> changedTexts_;
    qsizetype fittedLength_ = -1;
    QFont fittedFont_;
};
