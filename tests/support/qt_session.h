// The application run on the Qt backend, on Qt's offscreen platform: the GUI runs on the test's
// main thread, the script on a thread of its own that acts through the GUI's event loop, as a
// user at the screen would.
#pragma once

#include <QApplication>
#include <QMetaObject>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_folder.h"

class QWidget;
class QMessageBox;

class QtScript {
  public:
    // Runs on the GUI thread and waits for the result.
    template <class Function>
    auto Read(Function function) {
        using Result = decltype(function());
        Result result{};
        QMetaObject::invokeMethod(
            qApp, [&] { result = function(); }, Qt::BlockingQueuedConnection);
        return result;
    }
    // Runs on the GUI thread without waiting: the action may open a box that waits for us.
    void Do(std::function<void()> action) {
        QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
    }
    // Polls the condition on the GUI thread until it holds; false after a minute.
    bool WaitUntil(const std::function<bool()>& condition);

    // The dialog's widgets, found on the GUI thread.
    static QWidget* Dialog();
    static QWidget* Control(int id);
    static QMessageBox* Box();    // the open message box, if any
    static QString Text(int id);  // of an edit field

    void Click(int id);
    // Clicks the button of the open box whose text starts with the given text.
    void AnswerBox(const QString& boxText, const QString& button);
    void AnswerBox(const std::u16string& boxText, const QString& button) {
        AnswerBox(QString::fromStdU16String(boxText), button);
    }
};

// Runs the application with the arguments on the calling (main) thread while the script runs;
// returns the exit status once the dialog has ended. The working directory is a scratch folder for
// the lists.
int RunWithQt(const ScratchFolder& workingDirectory, std::vector<std::string> arguments,
              const std::function<void(QtScript&)>& script);
