// The backend for a machine without a display: no window and no input. The caption and the
// counts show as one status line on stderr when it is a terminal; message boxes are written to
// stderr. A dialog ends by itself once nothing can change it any more. An interrupt or
// termination signal is the window's close command.
#pragma once

#include <memory>

#include "console/stop_signals.h"
#include "framework/backend.h"
#include "framework/message_queue.h"

class ConsoleBackend final : public UiBackend {
  public:
    // Must be created before any other thread, so that every thread leaves the signals to it.
    ConsoleBackend();
    ~ConsoleBackend() override;

    bool IsInteractive() const override { return false; }
    std::unique_ptr<DialogView> CreateView(CDialog& dialog,
                                           const DialogTemplate& resource) override;
    void RunModalLoop(CDialog& dialog) override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    void SetWaitCursor(bool) override {}
    // A console has no desktop to open a file with.
    INT_PTR OpenDocument(const CString&) override;

  private:
    std::shared_ptr<MessageQueue> queue_;
    StopSignals stopSignals_;
};
