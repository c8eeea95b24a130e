#include "browse/QELVOR_Unit.h"

#include "runtime/Assert.h"

#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "grid/DBGridEh.h"
#include "platform/Anchors.h"
#include "platform/Buttons.h"
#include "platform/DesignFont.h"

namespace qelvor {

TQELVOR_Form* QELVOR_Form = nullptr;

namespace {

// Stored bounds: outer size 667 × 405 at (235, 198), client area 659 × 378.
const QRect kDesignOuter(235, 198, 667, 405);
const QSize kDesignClient(659, 378);

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
}

}  // namespace qelvor
