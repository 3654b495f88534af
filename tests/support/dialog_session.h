// The application run as from a command line on the scripted backend: its UI thread runs the
// dialog, the test's thread is the user. The list files land in a scratch working directory.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/hashwick_app.h"
#include "framework/scripted/scripted_backend.h"
#include "support/scratch_folder.h"
#include "ui/resource.h"

class DialogSession {
  public:
    // Starts the application with the arguments after the program name, in the given working
    // directory or else in a new scratch folder, once arrange has prepared it.
    explicit DialogSession(std::vector<std::string> arguments = {},
                           const std::function<void(const ScratchFolder&)>& arrange = {},
                           const ScratchFolder* workingDirectory = nullptr);
    ~DialogSession();
    DialogSession(const DialogSession&) = delete;
    DialogSession& operator=(const DialogSession&) = delete;

    ScriptedBackend& Ui() { return backend_; }
    ScriptedBackend::Screen Look() const { return backend_.Look(); }
    bool WaitFor(const std::function<bool(const ScriptedBackend::Screen&)>& condition) const {
        return backend_.WaitFor(condition);
    }

    // Answers the topmost box after checking that it is the one expected.
    void AnswerBox(const std::u16string& text, int button);
    // Starts a run on the folder as a user does: chooses it, clicks start, answers Yes.
    void StartRun(const std::string& folder);
    // Waits until the run has come back to idle with the counts processed / total.
    bool WaitForIdleWith(int processed, int total) const;

    // Waits for the application to end and gives its exit status.
    int Finish();

    const ScratchFolder& WorkingDirectory() const { return workingDirectory_; }
    std::string ListFile(const std::string& name) const { return workingDirectory_.ReadFile(name); }

  private:
    std::unique_ptr<ScratchFolder> ownWorkingDirectory_;
    const ScratchFolder& workingDirectory_;
    CHashwickApp app_;
    ScriptedBackend backend_;
    std::vector<std::string> arguments_;
    int exitStatus_ = -1;
    std::thread uiThread_;
};

// Screen conditions.
bool IsIdle(const ScriptedBackend::Screen& screen);
bool IsBusy(const ScriptedBackend::Screen& screen);
std::u16string Text(const ScriptedBackend::Screen& screen, int id);
