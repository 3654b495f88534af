#include "support/qt_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <atomic>
#include <stdexcept>

#include "framework/qt/qt_backend.h"
#include "framework/win_app.h"
#include "ui/resources.h"

bool QtScript::WaitUntil(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < limit) {
        if (Read(condition))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

QWidget* QtScript::Dialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("dialog") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

QWidget* QtScript::Control(int id) {
    QWidget* dialog = Dialog();
    return dialog != nullptr ? dialog->findChild<QWidget*>(QString::number(id)) : nullptr;
}

QMessageBox* QtScript::Box() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

QString QtScript::Text(int id) {
    auto* field = qobject_cast<QLineEdit*>(Control(id));
    return field != nullptr ? field->text() : QString();
}

void QtScript::Click(int id) {
    Do([id] {
        if (auto* button = qobject_cast<QPushButton*>(Control(id)))
            button->click();
    });
}

void QtScript::AnswerBox(const QString& boxText, const QString& button) {
    ASSERT_TRUE(WaitUntil([&] { return Box() != nullptr && Box()->text() == boxText; }))
        << "no box " << boxText.toStdString();
    Do([button] {
        for (QAbstractButton* candidate : Box()->buttons()) {
            if (candidate->text().startsWith(button)) {
                candidate->click();
                return;
            }
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return Box() == nullptr || Box()->text() != boxText; }));
}

int RunWithQt(const ScratchFolder& workingDirectory, std::vector<std::string> arguments,
              const std::function<void(QtScript&)>& script) {
    if (chdir(workingDirectory.Root().c_str()) != 0)
        throw std::runtime_error("chdir failed");
    arguments.insert(arguments.begin(), "hashwick");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());

    std::atomic<bool> scriptDone{false};
    QtScript driver;
    std::thread scriptThread([&] {
        script(driver);
        // A script that failed half way may leave the window open: close it, refusing any box.
        // Otherwise the dialog ends as the script left it to, by itself in automatic mode.
        while (::testing::Test::HasFailure() &&
               driver.Read([] { return QtScript::Dialog() != nullptr; })) {
            driver.Do([] {
                if (QMessageBox* box = QtScript::Box()) {
                    box->reject();
                } else if (QWidget* dialog = QtScript::Dialog()) {
                    dialog->close();
                }
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        scriptDone = true;
    });
    int exitStatus = 0;
    {
        QtBackend backend;
        exitStatus =
            AfxWinMain(&HashwickResources(), static_cast<int>(argv.size()), argv.data(), backend);
    }
    // The script may still be reading the screen after the dialog has ended.
    while (!scriptDone)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    scriptThread.join();
    return exitStatus;
}
