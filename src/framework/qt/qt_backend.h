// The backend for a desktop with a display: Qt Widgets. The dialog's template becomes a fixed-size
// window of Qt widgets; keyboard and mouse input passes the application's PreTranslateMessage
// before Qt sees it; posted messages reach the dialog through the same filter, in posting order.
#pragma once

#include <memory>

#include "framework/backend.h"
#include "framework/message_pump.h"

class QApplication;
class QObject;
class QTranslator;

class QtBackend final : public UiBackend {
  public:
    // Whether the desktop's display named by the environment (X11's DISPLAY, or Wayland's
    // WAYLAND_DISPLAY where Qt has its Wayland plugin) accepts a connection. Qt ends the process
    // when it cannot open its display, so the window is chosen only when this holds.
    static bool CanShowWindows();

    // Uses the process's QApplication, creating one when there is none yet. Qt is set up only
    // when something is first shown, so that a run started before the window shows is not kept
    // waiting for the display's set-up.
    QtBackend();
    ~QtBackend() override;

    // Sets Qt up if that has not happened yet.
    void Realize();

    bool IsInteractive() const override { return true; }
    std::unique_ptr<DialogView> CreateView(CDialog& dialog,
                                           const DialogTemplate& resource) override;
    void RunModalLoop(CDialog& dialog) override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    void SetWaitCursor(bool on) override;
    INT_PTR OpenDocument(const CString& path) override;

  private:
    // Handles what has been posted, at most once per display frame.
    void ScheduleDrain();

    bool realized_ = false;
    std::unique_ptr<QApplication> ownApplication_;
    std::shared_ptr<MessageQueue> queue_;
    std::unique_ptr<QObject> pump_;
    std::unique_ptr<QObject> inputFilter_;
    std::unique_ptr<QTranslator> translator_;
    FramePacedDrain drain_;
};
