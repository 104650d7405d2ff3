// The learning pane's card that moves the settings to another computer: the
// line under its buttons says what was done, or exactly what went wrong.

#include "settingsfixture.h"

#include "design/tbutton.h"
#include "platform/linux/plistfiles.h"
#include "settings/learningpane.h"
#include "settings/messageline.h"
#include "support/scriptedfiledialogs.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace tavrin {
namespace {

class LearningMove : public SettingsTest {
protected:
    LearningMove()
    {
        Platform::current().fileDialogs = &dialogs;
        Platform::current().propertyLists = &files;
    }
    LearningPane* pane() { return open<LearningPane>(SettingsPane::learning); }
    void click(LearningPane* learning, const char* button) { learning->findChild<TButton*>(button)->click(); }

    ScriptedFileDialogs dialogs;
    PlistFiles files;
};

TEST_F(LearningMove, ImportSaysWhatItDidOrThatTheFileIsNoExport)
{
    LearningPane* learning = pane();
    EXPECT_TRUE(learning->findChild<TButton*>("import")->isVisibleTo(learning));

    const QString notExport = folder.filePath("notes.plist");
    ASSERT_EQ(files.writeXml(notExport, QVariantMap{{"learning.counts", QVariantMap{}}}), QString());
    dialogs.answer = notExport;
    click(learning, "import");
    EXPECT_FALSE(learning->moveResult()->isHidden());
    EXPECT_EQ(learning->moveResult()->text(), LearningPane::kImportFailed);

    // Cancelling afterwards clears the line and shows no failure.
    dialogs.answer.reset();
    click(learning, "import");
    EXPECT_TRUE(learning->moveResult()->isHidden());

    // An import has learning and habits read what it brought.
    Platform::current().defaults->setValue(Learning::kMovesKey, qint64(5));
    this->learning.reload();
    ASSERT_EQ(this->learning.totalMoves(), 5);
    QSignalSpy habitsRead(&habits, &Habits::tickChanged);
    const QString real = folder.filePath("real.plist");
    ASSERT_EQ(files.writeXml(real, QVariantMap{{"tavrinExport", qint64(1)}}), QString());
    dialogs.answer = real;
    click(learning, "import");
    EXPECT_EQ(learning->moveResult()->text(), "Imported.");
    EXPECT_EQ(learning->moveResult()->tone(), KeyMsg::Tone::ok);
    EXPECT_EQ(this->learning.totalMoves(), 0);
    EXPECT_EQ(habitsRead.count(), 1);
}

TEST_F(LearningMove, AnExportSaysWhereItSavedOrWhyItCouldNot)
{
    LearningPane* learning = pane();
    dialogs.answer = folder.filePath("missing/Tavrin learnings.plist");
    click(learning, "export");
    EXPECT_FALSE(learning->moveResult()->isHidden());
    EXPECT_TRUE(learning->moveResult()->text().startsWith("Couldn't save the file. "))
        << learning->moveResult()->text().toStdString();
    EXPECT_EQ(learning->moveResult()->tone(), KeyMsg::Tone::err);

    dialogs.answer = folder.filePath("Tavrin learnings.plist");
    click(learning, "export");
    EXPECT_EQ(learning->moveResult()->text(), LearningPane::exportedText(*dialogs.answer));
    EXPECT_EQ(learning->moveResult()->tone(), KeyMsg::Tone::ok);
    EXPECT_TRUE(QFile::exists(*dialogs.answer));
    EXPECT_EQ(LearningPane::exportedText(QDir::homePath() + "/Documents/Tavrin learnings.plist"),
              "Saved to ~/Documents/Tavrin learnings.plist.");
    EXPECT_EQ(LearningPane::exportedText("/tmp/x.plist"), "Saved to /tmp/x.plist.");
    // Cancelled, it says nothing.
    dialogs.answer.reset();
    click(learning, "export");
    EXPECT_TRUE(learning->moveResult()->isHidden());
    EXPECT_EQ(LearningPane::exportFailedText("permission denied"), "Couldn't save the file. Permission denied.");
}

} // namespace
} // namespace tavrin
