// The browse form as constructed: every control's place, size, caption, font and
// settings, the grid's configuration and columns, the tab order.
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "grid/DBGridEh.h"
#include "platform/Buttons.h"
#include "platform/DesignFont.h"
#include "platform/FontSubstitution.h"
#include "platform/Panel.h"
#include "platform/TextControls.h"

namespace qelvor {
namespace {

class FormLayoutTest : public testing::Test {
protected:
    TQELVOR_Form form;
};

TEST_F(FormLayoutTest, ControlsHaveTheirStoredBoundsAndParents)
{
    struct Expected {
        QWidget* control;
        QWidget* parent;
        QRect bounds;
    };
    // The auto-sized labels keep the designed caption width and the design font's line
    // height, 12 pixels (the stand-in face's own line would be taller).
    const int labelHeight = 12;
    const Expected controls[] = {
        {form.SpeedButton3, &form, {588, 350, 65, 25}},
        {form.DBGridEh1, &form, {8, 53, 643, 292}},
        {form.Panel1, &form, {8, 6, 591, 41}},
        {form.Label3, form.Panel1, {10, 15, 84, labelHeight}},
        {form.Label4, form.Panel1, {258, 15, 84, labelHeight}},
        {form.Edit1, form.Panel1, {97, 10, 146, 20}},
        {form.Edit2, form.Panel1, {344, 10, 146, 20}},
        {form.BitBtn1, form.Panel1, {504, 8, 75, 25}},
    };
    EXPECT_EQ(form.size(), QSize(659, 378));
    for (const Expected& expected : controls) {
        SCOPED_TRACE(expected.control->objectName().toStdString());
        EXPECT_EQ(expected.control->parentWidget(), expected.parent);
        EXPECT_EQ(expected.control->geometry(), expected.bounds);
    }
}

TEST_F(FormLayoutTest, CaptionsTextsAndFonts)
{
    EXPECT_EQ(form.Caption(), QString::fromUtf8("卷面信息浏览"));
    EXPECT_EQ(form.Label3->text(), QString::fromUtf8("准考证起始号："));
    EXPECT_EQ(form.Label4->text(), QString::fromUtf8("准考证终止号："));
    EXPECT_EQ(form.BitBtn1->text(), QString::fromUtf8("检索"));
    EXPECT_EQ(form.SpeedButton3->text(), QString::fromUtf8("退出"));
    EXPECT_TRUE(form.Edit1->Text().isEmpty());
    EXPECT_TRUE(form.Edit2->Text().isEmpty());

    // Every control takes the form's font: the design font through its substitute.
    for (QWidget* control : {static_cast<QWidget*>(form.Label3), static_cast<QWidget*>(form.Edit2),
                             static_cast<QWidget*>(form.BitBtn1), static_cast<QWidget*>(form.DBGridEh1)}) {
        const QFontInfo info(control->font());
        EXPECT_EQ(info.family(), QString::fromUtf8(kDesignFontSubstitute));
        EXPECT_TRUE(IsDesignFont(control->font()));
        EXPECT_EQ(TextLineHeight(control->font()), 12);
        EXPECT_FALSE(info.bold() || info.italic());
    }
    // The design font's widths: half-width characters half the 12-pixel height, Chinese
    // characters the whole height, as the stand-in draws them.
    const QFontMetrics metrics(form.font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("0123456789ABCDEF")), 16 * 6);
    EXPECT_EQ(metrics.horizontalAdvance(QString::fromUtf8("准考证号")), 4 * 12);
}

TEST_F(FormLayoutTest, ButtonsPanelAndFocusBehaviour)
{
    EXPECT_TRUE(form.BitBtn1->isDefault());
    EXPECT_EQ(form.BitBtn1->iconSize(), QSize(18, 18));
    EXPECT_FALSE(form.BitBtn1->icon().pixmap(18, 18, QIcon::Disabled).isNull());
    EXPECT_EQ(form.SpeedButton3->iconSize(), QSize(16, 15));
    EXPECT_EQ(form.SpeedButton3->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(form.Panel1->BevelInner(), TBevelCut::bvLowered);
    EXPECT_EQ(form.Panel1->BevelOuter(), TBevelCut::bvRaised);
}

TEST_F(FormLayoutTest, TabOrderRunsFromTheGridThroughThePanel)
{
    std::vector<QWidget*> chain;
    QWidget* widget = form.DBGridEh1;
    do {
        // As Tab walks it: hidden controls (the grid's idle in-place editor) are skipped.
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&form))
            chain.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form.DBGridEh1 && chain.size() < 10);
    const std::vector<QWidget*> expected = {form.DBGridEh1, form.Edit1, form.Edit2, form.BitBtn1};
    EXPECT_EQ(chain, expected);
}

TEST_F(FormLayoutTest, GridIsConfiguredAsStored)
{
    TDBGridEh& grid = *form.DBGridEh1;
    EXPECT_EQ(grid.DataSource(), form.DataSource1);
    EXPECT_EQ(form.DataSource1->DataSet(), static_cast<TDataSet*>(form.QELV_Set));
    EXPECT_TRUE(grid.ReadOnly());
    EXPECT_EQ(grid.OptionsEh(),
              TDBGridEhOptions({dghClearSelection, dghHighlightFocus, dghMultiSortMarking, dghAutoSortMarking, dghFixed3D}));
    EXPECT_EQ(grid.Options(), TDBGridOptions({dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                              dgTabs, dgConfirmDelete, dgCancelOnExit}));
    EXPECT_TRUE(grid.ColumnDefValues().Title().TitleButton());
    EXPECT_TRUE(IsDesignFont(grid.TitleFont()));
    EXPECT_TRUE(IsDesignFont(grid.FooterFont()));
    EXPECT_FALSE(form.QELV_Set->Active());
}

TEST_F(FormLayoutTest, GridFollowsTheFormsFont)
{
    TDBGridEh& grid = *form.DBGridEh1;
    EXPECT_TRUE(grid.ParentFont());
    EXPECT_EQ(grid.font(), DesignFont());
    EXPECT_EQ(grid.DefaultRowHeight(), 12 + 4);
    // A new form font reaches the grid's cells, titles and footers.
    QFont larger = DesignFont();
    larger.setPixelSize(16);
    form.setFont(larger);
    EXPECT_TRUE(grid.ParentFont());
    EXPECT_EQ(grid.font().pixelSize(), 16);
    EXPECT_EQ(grid.TitleFont().pixelSize(), 16);
    EXPECT_EQ(grid.FooterFont().pixelSize(), 16);
    EXPECT_EQ(grid.Columns()[0]->Font().pixelSize(), 16);
    EXPECT_EQ(grid.DefaultRowHeight(), QFontMetrics(larger).height() + 4);
}

TEST_F(FormLayoutTest, GridHasSevenPersistentColumnsInOrder)
{
    const TDBGridColumnsEh& columns = form.DBGridEh1->Columns();
    ASSERT_EQ(columns.Count(), 7);
    const char* names[] = {"准考证号", "报名号", "姓名", "笔试客观题答案字符串", "笔试主观题题分字符串", "缺考标记", "论文题题号"};
    const int widths[] = {107, 102, -1, 300, 300, 65, 65};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(columns[i]->FieldName(), names[i]);
        EXPECT_TRUE(columns[i]->Persistent());
        if (widths[i] > 0) {
            EXPECT_EQ(columns[i]->Width(), widths[i]);
        }
    }
}

}  // namespace
}  // namespace qelvor
