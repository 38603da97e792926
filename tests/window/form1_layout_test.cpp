#include "support/form_fixture.h"

#include <QHeaderView>
#include <QPushButton>

namespace {

using Form1Layout = FormTest;

struct Control {
    const char* name;
    const char* caption;
    int left, top, width, height;  // twips
    int tab;
};

const Control kControls[] = {
    {"PushButton5", "Help", 120, 120, 7800, 405, 6},
    {"ListView1", nullptr, 120, 630, 7800, 1575, 0},
    {"PushButton1", "Add Phone Number or Numbers", 120, 2290, 3840, 405, 8},
    {"PushButton3", "Load Phone Numbers From File", 4080, 2290, 3840, 405, 9},
    {"PushButton4", "Clear List", 120, 2800, 3840, 405, 10},
    {"PushButton11", "Load Sample/Example Data", 4080, 2800, 3840, 405, 11},
    {"ListView2", nullptr, 120, 3315, 7800, 1935, 1},
    {"PushButton13", "Add Length and Format Combo", 120, 5340, 3840, 405, 12},
    {"PushButton14", "Delete Selected", 4080, 5340, 3840, 405, 13},
    {"PushButton15", "Clear List", 120, 5850, 3840, 405, 14},
    {"PushButton10", "Load Sample/Example Data", 4080, 5850, 3840, 405, 16},
    {"PushButton7", "Start Formatting Phone Numbers", 120, 6360, 7800, 405, 2},
    {"ListView3", nullptr, 8040, 120, 7800, 5640, 15},
    {"PushButton6", "Save Results As Text File", 8040, 5850, 3840, 405, 3},
    {"PushButton2", "Save As Comma Delimited", 12000, 5850, 3840, 405, 4},
    {"PushButton8", "Copy Results To Clipboard", 8040, 6360, 3840, 405, 7},
    {"PushButton9", "Clear List", 12000, 6360, 3840, 405, 5},
};

int Pixels(int twips)
{
    return qRound(twips / 15.0);
}

TEST_F(Form1Layout, EveryControlStandsAtItsPlaceWithItsCaption)
{
    EXPECT_EQ(form->findChildren<QPushButton*>().size(), 14);
    for (const Control& c : kControls) {
        auto* control = form->findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->geometry(),
                  QRect(Pixels(c.left), Pixels(c.top), Pixels(c.width), Pixels(c.height)))
            << c.name;
        if (c.caption != nullptr) {
            auto* button = qobject_cast<QPushButton*>(control);
            ASSERT_NE(button, nullptr) << c.name;
            EXPECT_EQ(button->text(), QString::fromLatin1(c.caption));
            EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 11.25);
            EXPECT_TRUE(button->font().bold());
        }
        EXPECT_TRUE(form->rect().contains(control->geometry())) << c.name << " is clipped";
    }
}

TEST_F(Form1Layout, TabOrderFollowsTheTabPositions)
{
    std::vector<const Control*> byTab;
    for (const Control& c : kControls)
        byTab.push_back(&c);
    std::sort(byTab.begin(), byTab.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    // The focus chain also holds the lists' inner parts; look only at the named controls.
    QStringList named;
    for (const Control& c : kControls)
        named << QLatin1String(c.name);
    for (size_t i = 1; i < byTab.size(); ++i) {
        auto* next = form->findChild<QWidget*>(QLatin1String(byTab[i - 1]->name));
        do
            next = next->nextInFocusChain();
        while (!named.contains(next->objectName()));
        EXPECT_EQ(next->objectName(), QLatin1String(byTab[i]->name))
            << "after " << byTab[i - 1]->name;
    }
}

TEST_F(Form1Layout, WindowIsAFixedWhiteDialwrightWindowWithoutMaximise)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Dialwright"));
    EXPECT_EQ(form->applicationTitle(), QStringLiteral("Dialwright"));
    EXPECT_EQ(form->size(), QSize(1064, 458));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(form->font().bold());
    EXPECT_DOUBLE_EQ(form->font().pointSizeF(), 9);
    EXPECT_FALSE(form->windowIcon().isNull());
}

TEST_F(Form1Layout, ListsStartEmptyWithTheirColumnsAndTheSharedToolTip)
{
    const QString tip = QStringLiteral("Double-click item to remove it. Move | line to right and "
                                       "out of window to reveal full names.");
    struct Columns {
        ListView* list;
        QStringList captions;
        std::vector<int> twips;
    };
    const Columns expected[] = {
        {form->ListView1, {"Phone Number(s)"}, {7000}},
        {form->ListView2,
         {"If length of phone number is this", "then format like this"},
         {3000, 4000}},
        {form->ListView3, {"Result(s)"}, {7000}},
    };
    for (const Columns& c : expected) {
        EXPECT_EQ(c.list->count(), 0);
        EXPECT_EQ(c.list->toolTip(), tip);
        ASSERT_EQ(c.list->items().columnCountTotal(), c.captions.size());
        for (int k = 0; k < c.captions.size(); ++k) {
            EXPECT_EQ(c.list->items().columnCaption(k), c.captions[k]);
            EXPECT_EQ(c.list->columnWidth(k), Pixels(c.twips[static_cast<size_t>(k)]));
        }
        EXPECT_TRUE(c.list->font().bold());
    }
    EXPECT_FALSE(form->formattingBusy());
    EXPECT_EQ(form->pointer(), Form1::Pointer::Default);
}

}  // namespace
