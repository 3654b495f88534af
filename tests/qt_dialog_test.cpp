// The dialog on the Qt backend, as a user sees it, on Qt's offscreen platform.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <limits>

#include "app/hashwick_app.h"
#include "digest/worker.h"
#include "framework/qt/dialog_font.h"
#include "framework/window_handles.h"
#include "support/dropped_files.h"
#include "support/qt_session.h"
#include "support/texts.h"
#include "ui/resource.h"

// Failures show Qt's text as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}

namespace {

bool Enabled(int id) {
    return QtScript::Control(id) != nullptr && QtScript::Control(id)->isEnabled();
}

// The caption and the start and cancel buttons as the run's state sets them.
bool Shows(const std::u16string& caption, bool busy) {
    return QtScript::Dialog() != nullptr &&
           QtScript::Dialog()->windowTitle() == QString::fromStdU16String(caption) &&
           Enabled(IDC_START) != busy && Enabled(IDC_CANCEL_RUN) == busy;
}

bool IsIdle() {
    return Shows(kIdleCaption, false);
}

bool IsBusy() {
    return Shows(kBusyCaption, true);
}

// At twice the scale the screenshots are NAME@2x.png.
void SaveScreenshot(const std::string& name) {
    const std::string folder = std::string(HASHWICK_SCREENSHOTS);
    std::filesystem::create_directories(folder);
    const QPixmap shot = QtScript::Dialog()->grab();
    const std::string scale = shot.devicePixelRatio() > 1 ? "@2x" : "";
    shot.save(QString::fromStdString(folder + "/" + name + scale + ".png"), "PNG");
}

// Where a text's ink lies in the widget as shown, in device pixels: the columns free of it at
// either side, and the columns it spans.
struct Ink {
    int left = 0;
    int right = 0;
    int width = 0;
};

template <class Shown>
Ink InkOf(Shown* shown, const QString& text) {
    const QString kept = shown->text();
    shown->setText(QString());
    const QImage blank = shown->grab().toImage();
    shown->setText(text);
    const QImage inked = shown->grab().toImage();
    shown->setText(kept);
    Ink ink{inked.width(), inked.width(), 0};
    for (int y = 0; y < inked.height(); ++y) {
        for (int x = 0; x < inked.width(); ++x) {
            if (inked.pixel(x, y) != blank.pixel(x, y)) {
                ink.left = std::min(ink.left, x);
                ink.right = std::min(ink.right, inked.width() - 1 - x);
            }
        }
    }
    ink.width = inked.width() - ink.left - ink.right;
    return ink;
}

TEST(QtDialog, AUserSessionFromOpeningToExit) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("docs/a.txt", "abc");
    const std::string slow = folder.MakeSlowWalk(400);
    const std::string docs = folder.Path("docs");
    ScratchFolder home;
    home.MakeFolder("Desktop");
    const QString desktop = QString::fromStdString(home.Path("Desktop"));
    setenv("HOME", home.Root().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const int status = RunWithQt(workingDirectory, {}, [&](QtScript& ui) {
        ASSERT_TRUE(ui.WaitUntil([] { return QtScript::Dialog() != nullptr; }));
        EXPECT_TRUE(ui.Read(IsIdle));
        ui.Read([] {
            QWidget* dialog = QtScript::Dialog();
            EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
            EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
            EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "fixed size";
            // fonts-noto-cjk is installed where the template's face is not.
            const QString face = QStringLiteral("MS UI Gothic");
            EXPECT_EQ(QFontInfo(dialog->font()).family(),
                      QFontDatabase::hasFamily(face) ? face : QStringLiteral("Noto Sans CJK JP"));
            EXPECT_FALSE(dialog->windowIcon().isNull());
            // The buttons' row: left to right below the folder field, none a default button;
            // the tab order is the template's.
            int left = 0;
            for (int id : {IDC_START, IDC_SHOW_RESULT, IDC_CANCEL_RUN, IDC_EXIT}) {
                const QRect area = QtScript::Control(id)->geometry();
                EXPECT_GT(area.left(), left);
                EXPECT_GT(area.top(), QtScript::Control(IDC_FOLDER)->geometry().bottom());
                EXPECT_FALSE(static_cast<QPushButton*>(QtScript::Control(id))->isDefault());
                left = area.right();
            }
            EXPECT_EQ(QtScript::Control(IDC_FOLDER)->nextInFocusChain(),
                      QtScript::Control(IDC_BROWSE));
            // Every caption keeps the style's margin at both sides.
            const qreal margin = dialog->style()->pixelMetric(QStyle::PM_ButtonMargin) / 2 *
                                 dialog->devicePixelRatioF();
            for (int id : {IDC_BROWSE, IDC_START, IDC_SHOW_RESULT, IDC_CANCEL_RUN, IDC_EXIT}) {
                auto* button = static_cast<QPushButton*>(QtScript::Control(id));
                const Ink ink = InkOf(button, button->text());
                EXPECT_GE(std::min(ink.left, ink.right), margin) << id;
            }
            return true;
        });
        SaveScreenshot("idle");

        // Enter and Escape in the folder field and on a button do nothing; nor does show result
        // before any list has been written.
        ui.Do([] {
            QWidget* field = QtScript::Control(IDC_FOLDER);
            field->setFocus();
            QTest::keyClicks(field, QStringLiteral("/x"));
            for (QWidget* target : {field, QtScript::Control(IDC_EXIT)}) {
                QTest::keyClick(target, Qt::Key_Return);
                QTest::keyClick(target, Qt::Key_Escape);
            }
        });
        ui.Click(IDC_SHOW_RESULT);
        EXPECT_TRUE(
            ui.WaitUntil([] { return QtScript::Text(IDC_FOLDER) == QStringLiteral("/x"); }));
        EXPECT_TRUE(
            ui.Read([] { return QtScript::Dialog() != nullptr && QtScript::Box() == nullptr; }));

        // Start asked under the wait cursor and answered No.
        ui.Click(IDC_START);
        ASSERT_TRUE(ui.WaitUntil([] { return QtScript::Box() != nullptr; }));
        const auto cursor = [](QWidget* widget) { return widget->cursor().shape(); };
        EXPECT_TRUE(ui.Read([&] {
            return QApplication::overrideCursor() == nullptr &&
                   cursor(QtScript::Box()) == Qt::ArrowCursor &&
                   cursor(QtScript::Dialog()) == Qt::WaitCursor &&
                   cursor(QtScript::Control(IDC_FOLDER)) == Qt::WaitCursor;
        }));
        ui.AnswerBox(kStartQuestion, QStringLiteral("いいえ"));
        EXPECT_TRUE(ui.Read([&] {
            return cursor(QtScript::Dialog()) == Qt::ArrowCursor &&
                   cursor(QtScript::Control(IDC_FOLDER)) == Qt::IBeamCursor && IsIdle();
        }));

        // The chooser cancelled empties the field; a folder typed into its name field fills it.
        const auto choose = [&ui, &desktop](const std::string& typed) {
            ui.Click(IDC_BROWSE);
            ASSERT_TRUE(ui.WaitUntil(
                [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }));
            // It speaks Japanese and starts at the desktop folder.
            const QStringList shown = ui.Read([] {
                auto* chooser = static_cast<QFileDialog*>(QApplication::activeModalWidget());
                return QStringList{chooser->windowTitle(),
                                   chooser->findChild<QLabel*>("lookInLabel")->text(),
                                   chooser->directory().absolutePath()};
            });
            EXPECT_EQ(shown, QStringList({QStringLiteral("ディレクトリを指定してください"),
                                          QStringLiteral("アドレス:"), desktop}));
            ui.Do([typed] {
                QWidget* chooser = QApplication::activeModalWidget();
                if (typed.empty()) {
                    chooser->close();
                    return;
                }
                auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QTest::keyClicks(name, QString::fromStdString(typed));
                QTest::keyClick(name, Qt::Key_Return);
            });
            ASSERT_TRUE(ui.WaitUntil(
                [&] { return QtScript::Text(IDC_FOLDER) == QString::fromStdString(typed); }));
        };
        choose("");
        choose(docs);
        ui.Click(IDC_START);
        ui.AnswerBox(kStartQuestion, QStringLiteral("はい"));
        ASSERT_TRUE(ui.WaitUntil([] {
            return IsIdle() && QtScript::Text(IDC_TOTAL) == QStringLiteral("1") &&
                   QtScript::Text(IDC_PROCESSED) == QStringLiteral("1");
        }));

        // Show result: Qt's offscreen platform opens nothing, and a list that is gone is not found.
        const auto showResultFails = [&ui](const QString& reason) {
            ui.Click(IDC_SHOW_RESULT);
            ASSERT_TRUE(ui.WaitUntil([] { return QtScript::Box() != nullptr; }));
            EXPECT_TRUE(ui.Read([] {
                return QtScript::Box()->icon() == QMessageBox::Critical &&
                       QtScript::Box()->parentWidget() == QtScript::Dialog();
            }));
            ui.AnswerBox("結果ファイルを開けませんでした。\nHashwick_docs.txt\n" + reason, "OK");
        };
        const std::string list = workingDirectory.Path("Hashwick_docs.txt");
        showResultFails(QStringLiteral("このファイルを開くプログラムが見つかりません。"));
        std::filesystem::rename(list, list + ".kept");
        showResultFails(QStringLiteral("ファイルが見つかりません。"));
        std::filesystem::rename(list + ".kept", list);

        // A long run: busy while it walks, then Cancel stops it, and Exit ends the dialog.
        choose(slow);
        ui.Click(IDC_START);
        ui.AnswerBox(kStartQuestion, QStringLiteral("はい"));
        ASSERT_TRUE(ui.WaitUntil(IsBusy));
        // Counts posted as the worker posts them show whole, as in a field wide enough for them.
        constexpr int kMost = std::numeric_limits<int>::max();
        for (const auto& [processed, total] : {std::pair{123456, 200000}, {kMost - 1, kMost}}) {
            PostMessageW(g_hMainDialog, UM_SCAN_COMPLETE, static_cast<WPARAM>(total), 0);
            PostMessageW(g_hMainDialog, UM_PROGRESS, static_cast<WPARAM>(processed), 0);
            const QString shown = QString::number(processed);
            ASSERT_TRUE(ui.WaitUntil([&] { return QtScript::Text(IDC_PROCESSED) == shown; }));
            ui.Read([total] {
                if (total == 200000)
                    SaveScreenshot("busy");
                for (int id : {IDC_PROCESSED, IDC_TOTAL}) {
                    auto* field = static_cast<QLineEdit*>(QtScript::Control(id));
                    const Ink ink = InkOf(field, field->text());
                    field->resize(field->width() * 3, field->height());
                    const Ink whole = InkOf(field, field->text());
                    field->resize(field->width() / 3, field->height());
                    EXPECT_NEAR(ink.width, whole.width, 1) << field->text().toStdString();
                }
                return true;
            });
        }
        ui.Click(IDC_CANCEL_RUN);
        ui.AnswerBox(kCancelQuestion, QStringLiteral("はい"));
        ASSERT_TRUE(ui.WaitUntil(IsIdle));
        ui.Click(IDC_EXIT);
        ui.AnswerBox(kExitQuestion, QStringLiteral("はい"));
    });
    EXPECT_EQ(status, kExitListWritten);
    EXPECT_TRUE(
        workingDirectory.ReadFile("Hashwick_docs.txt").starts_with("# " + docs + "(1)\r\n"));
}

// Drags the data over the folder field and drops it there, as the platform hands a drag from the
// file manager to the window. Whether the window took it.
bool DropOnTheFolderField(QtScript& ui, const std::function<void(QMimeData&)>& fill) {
    return ui.Read([&fill] {
        QMimeData data;
        fill(data);
        QWindow* window = QtScript::Dialog()->windowHandle();
        const QPoint at = QtScript::Control(IDC_FOLDER)->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        if (!enter.isAccepted()) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(window, &leave);
            return false;
        }
        QDropEvent drop(at, enter.dropAction(), &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
        return drop.isAccepted();
    });
}

// Files and folders dropped from the file manager reach the folder field; what holds no local
// file, or comes while a question is open, is refused.
TEST(QtDialog, ADroppedFolderGoesIntoTheFolderField) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    ArrangeDroppedFiles(folder);
    const auto urls = [&folder](const std::vector<std::string>& paths) {
        return [&folder, paths](QMimeData& data) {
            QList<QUrl> list;
            for (const std::string& path : paths)
                list.append(QUrl::fromLocalFile(QString::fromStdString(folder.Path(path))));
            data.setUrls(list);
        };
    };
    const auto fieldShows = [&folder](const std::string& path) {
        return [&folder, path] {
            return QtScript::Text(IDC_FOLDER) == QString::fromStdString(folder.Path(path));
        };
    };
    const int status = RunWithQt(workingDirectory, {}, [&](QtScript& ui) {
        ASSERT_TRUE(ui.WaitUntil([] { return QtScript::Dialog() != nullptr; }));
        for (const Drop& drop : kDrops) {
            EXPECT_TRUE(DropOnTheFolderField(ui, urls(drop.paths)));
            EXPECT_TRUE(ui.WaitUntil(fieldShows(drop.shown))) << drop.shown;
        }
        ui.Read([] {
            SaveScreenshot("dropped");
            return true;
        });
        EXPECT_FALSE(DropOnTheFolderField(
            ui, [](QMimeData& data) { data.setText(QStringLiteral("/tmp")); }));
        EXPECT_FALSE(DropOnTheFolderField(ui, [](QMimeData& data) {
            data.setUrls({QUrl(QStringLiteral("https://example.com/写真/"))});
        }));
        EXPECT_TRUE(ui.Read([] { return IsIdle() && QtScript::Box() == nullptr; }));

        ui.Click(IDC_START);
        ASSERT_TRUE(ui.WaitUntil([] { return QtScript::Box() != nullptr; }));
        EXPECT_FALSE(DropOnTheFolderField(ui, urls({"写真"})));
        ui.AnswerBox(kStartQuestion, QStringLiteral("いいえ"));
        EXPECT_TRUE(ui.Read(fieldShows(kDrops.back().shown)));
        ui.Click(IDC_EXIT);
        ui.AnswerBox(kExitQuestion, QStringLiteral("はい"));
    });
    EXPECT_EQ(status, kExitListWritten);
    EXPECT_TRUE(std::filesystem::is_empty(workingDirectory.Root()));
}

TEST(QtDialog, FontIsARealJapaneseFaceBeforeAFallback) {
    const QString wanted = QStringLiteral("MS UI Gothic");
    const QString fallback = QStringLiteral("Droid Sans Fallback");
    const QString noto = QStringLiteral("Noto Sans CJK JP");
    EXPECT_EQ(ChooseFontFamily(wanted, {fallback, noto, wanted}), wanted);
    EXPECT_EQ(ChooseFontFamily(wanted, {fallback, "Noto Sans CJK HK", "VL Gothic", noto}), noto);
    EXPECT_EQ(ChooseFontFamily(wanted, {fallback, "VL Gothic", "TakaoPGothic"}), "TakaoPGothic");
    EXPECT_EQ(ChooseFontFamily(wanted, {fallback, "Noto Sans CJK SC", "Mincho", "Some Gothic"}),
              "Some Gothic");
    EXPECT_EQ(ChooseFontFamily(wanted, {fallback}), fallback) << "better than no Japanese at all";
}

TEST(QtDialog, CloseBoxDuringARunStopsItAndEndsTheDialog) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("large/file", "");
    ASSERT_EQ(truncate(folder.Path("large/file").c_str(), off_t{1} << 40), 0);
    const int status = RunWithQt(workingDirectory, {folder.Path("large")}, [](QtScript& ui) {
        ASSERT_TRUE(ui.WaitUntil(IsBusy));
        ui.Do([] { QtScript::Dialog()->close(); });
    });
    EXPECT_EQ(status, kExitListNotWritten) << "the automatic run was closed before its list";
    EXPECT_TRUE(std::filesystem::is_empty(workingDirectory.Root()));
}

}  // namespace

CHashwickApp theApp;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
