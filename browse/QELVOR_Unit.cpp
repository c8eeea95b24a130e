#include "browse/QELVOR_Unit.h"

#include <QResizeEvent>
#include <algorithm>

#include "runtime/Assert.h"

#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "grid/DBGridEh.h"
#include "platform/Anchors.h"
#include "platform/Buttons.h"
#include "platform/DesignFont.h"
#include "platform/Panel.h"
#include "platform/TextControls.h"

namespace qelvor {

TQELVOR_Form* QELVOR_Form = nullptr;

namespace {

// Stored bounds: outer size 667 × 405 at (235, 198), client area 659 × 378.
const QRect kDesignOuter(235, 198, 667, 405);
const QSize kDesignClient(659, 378);
// An edit narrowed to fit a small window still shows a few digits and the caret.
constexpr int kLeastEditWidth = 30;

}  // namespace

QString TQELVOR_Form::DesignCaption()
{
    return QString::fromUtf8("卷面信息浏览");
}

TQELVOR_Form::TQELVOR_Form()
{
    setObjectName(QStringLiteral("QELVOR_Form"));
    SetCaption(DesignCaption());
    setBackgroundRole(QPalette::Button);  // clBtnFace
    setFont(DesignFont());
    SetDesignBounds(kDesignOuter, kDesignClient);
    SetPosition(TPosition::poOwnerFormCenter);
    CreateNonVisualComponents();
    CreateControls();
    SetTabOrder();
    AnchorControls();
}

TQELVOR_Form::~TQELVOR_Form()
{
    // The grid holds a data link to DataSource1: it goes before the source and the dataset.
    delete DBGridEh1;
    DBGridEh1 = nullptr;
}

void TQELVOR_Form::CreateNonVisualComponents()
{
    dataSet_ = std::make_unique<TADODataSet>("QELV_Set");
    dataSource_ = std::make_unique<TDataSource>("DataSource1");
    dataSource_->SetDataSet(dataSet_.get());
    QELV_Set = dataSet_.get();
    DataSource1 = dataSource_.get();
}

void TQELVOR_Form::AnchorControls()
{
    QELVOR_ASSERT(size() == kDesignClient);
    anchors_ = new TAnchorLayout(this);
    anchors_->Anchor(SpeedButton3, akBottom | akRight);
    anchors_->Anchor(DBGridEh1, akLeft | akTop | akRight | akBottom);
    // The edits give up width first, down to a few digits; the labels then, to nothing.
    panelDesign_ = Panel1->geometry();
    panelParts_ = {{Label3, Label3->geometry(), 0}, {Edit1, Edit1->geometry(), kLeastEditWidth},
                   {Label4, Label4->geometry(), 0}, {Edit2, Edit2->geometry(), kLeastEditWidth},
                   {BitBtn1, BitBtn1->geometry(), BitBtn1->width()}};
}

void TQELVOR_Form::resizeEvent(QResizeEvent* event)
{
    TForm::resizeEvent(event);
    FitPanelToWidth();
}

void TQELVOR_Form::FitPanelToWidth()
{
    if (panelParts_.empty())
        return;
    // The panel keeps its design while it fits with its left margin on the right too.
    const int width = std::clamp(this->width() - 2 * panelDesign_.left(), 0, panelDesign_.width());
    Panel1->setGeometry(QRect(panelDesign_.topLeft(), QSize(width, panelDesign_.height())));
    std::vector<int> widths;
    for (const TPanelPart& part : panelParts_)
        widths.push_back(part.design.width());
    int missing = panelDesign_.width() - width;
    for (const int least : {kLeastEditWidth, 0}) {
        // Shared alike among the parts of this rank, each down to its least width.
        for (bool took = true; missing > 0 && took;) {
            took = false;
            for (std::size_t i = 0; i < panelParts_.size() && missing > 0; ++i) {
                if (panelParts_[i].least != least || widths[i] <= least)
                    continue;
                --widths[i];
                --missing;
                took = true;
            }
        }
    }
    // Left to right with the designed gaps between them.
    int right = 0;
    int designRight = 0;
    for (std::size_t i = 0; i < panelParts_.size(); ++i) {
        const QRect& design = panelParts_[i].design;
        const int left = right + design.left() - designRight;
        panelParts_[i].control->setGeometry(left, design.top(), widths[i], design.height());
        right = left + widths[i];
        designRight = design.left() + design.width();
    }
}

}  // namespace qelvor
