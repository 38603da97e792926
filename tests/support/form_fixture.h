#pragma once

#include "support/file_helpers.h"
#include "support/scripted_desktop.h"
#include "window/form1.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A real Form1 over a scripted desktop, with an empty program folder of its own.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programFolder.isValid());
        form = std::make_unique<Form1>(desktop, programFolder.path());
    }

    void TearDown() override { form.reset(); }

    ListModel& phones() { return form->ListView1->items(); }
    ListModel& rules() { return form->ListView2->items(); }
    ListModel& results() { return form->ListView3->items(); }

    // Either save's dialog, answered with the file to save to.
    void expectSaveDialog(const QString& answer)
    {
        FileDialogSettings settings;
        settings.title = QStringLiteral("Save");
        settings.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        settings.fileName = form->dialogFileName();
        desktop.expectSaveFile(settings, answer);
    }

    // The window shown and active, as a user has it, for tests that press keys in it.
    void showActive()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    void addRule(const QString& length, const QString& pattern)
    {
        const qsizetype row = rules().append(length);
        rules().setSubItem(row, 1, pattern);
    }

    // A file of those bytes in the test's own folder; its path.
    QString file(const QString& name, const QByteArray& bytes)
    {
        QString path = work.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }

    // The dialog of "Load Phone Numbers From File", as the button asks for it.
    static FileDialogSettings loadDialog()
    {
        FileDialogSettings settings;
        settings.title = QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files");
        settings.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
        settings.multiSelect = true;
        return settings;
    }
    // That dialog, answered with the result.
    void expectLoadDialog(const OpenFileResult& answer)
    {
        desktop.expectOpenFile(loadDialog(), answer);
    }

    static QStringList texts(const ListModel& list)
    {
        QStringList out;
        for (qsizetype row = 0; row < list.count(); ++row)
            out << list.text(row);
        return out;
    }

    QTemporaryDir programFolder;
    QTemporaryDir work;  // the test's own files
    ScriptedDesktop desktop;
    std::unique_ptr<Form1> form;
};
