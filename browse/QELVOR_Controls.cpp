// The browse form's visual controls, in creation order, with their stored values.
#include "browse/QELVOR_Unit.h"

#include "grid/DBGridEh.h"
#include "platform/Buttons.h"
#include "platform/Panel.h"
#include "platform/TextControls.h"
#include "resources/ButtonGlyphs.h"

namespace qelvor {

void TQELVOR_Form::CreateControls()
{
    SpeedButton3 = new TSpeedButton(this);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setGeometry(588, 350, 65, 25);
    SpeedButton3->setText(QString::fromUtf8("退出"));
    SpeedButton3->SetGlyph(resources::ExitGlyph(), 1);
    SpeedButton3->OnClick = [this] { SpeedButton3Click(); };

    DBGridEh1 = new TDBGridEh(this);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBGridEh1->SetName("DBGridEh1");
    DBGridEh1->setGeometry(8, 53, 643, 292);
    DBGridEh1->setAccessibleName(QString::fromUtf8("卷面信息"));
    ConfigureGrid();

    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 6, 591, 41);
    Panel1->SetBevelInner(TBevelCut::bvLowered);
    CreatePanelControls();
}

void TQELVOR_Form::CreatePanelControls()
{
    Label3 = new TLabel(Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(10, 15);
    Label3->SetCaption(QString::fromUtf8("准考证起始号："));

    Label4 = new TLabel(Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->move(258, 15);
    Label4->SetCaption(QString::fromUtf8("准考证终止号："));

    Edit1 = new TEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(97, 10, 146, 20);

    Edit2 = new TEdit(Panel1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(344, 10, 146, 20);

    // Assistive technology names each edit after its label; the captions carry no
    // mnemonic, so the buddies change no key.
    Label3->setBuddy(Edit1);
    Label4->setBuddy(Edit2);
    Edit1->setAccessibleName(QString::fromUtf8("准考证起始号"));
    Edit2->setAccessibleName(QString::fromUtf8("准考证终止号"));

    BitBtn1 = new TBitBtn(Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(504, 8, 75, 25);
    BitBtn1->setText(QString::fromUtf8("检索"));
    BitBtn1->SetDefault(true);
    BitBtn1->SetGlyph(resources::SearchGlyph(), 2);
    BitBtn1->OnClick = [this] { BitBtn1Click(); };
}

void TQELVOR_Form::SetTabOrder()
{
    // The grid first, then the panel's edits and the search button.
    setTabOrder(DBGridEh1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, BitBtn1);
}

}  // namespace qelvor
