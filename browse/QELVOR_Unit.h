// QELVOR_Unit: the answer-sheet browse form.
//
// The form is built in code with exactly the values of its stored layout: a panel
// with the start and end admission ticket number edits and the search button, the
// read-only data grid over the query dataset QELV_Set through DataSource1, and the
// exit button. Its four handlers attach the dataset to the host's connection when the
// form is shown, run the search, close the form and apply the grid's sort markers.
// The form owns every component; the grid goes first on destruction so that it never
// sees its data source or dataset half destroyed.
#pragma once

#include <QRect>
#include <QString>
#include <memory>
#include <vector>

#include "platform/Form.h"

namespace qelvor {

class TADODataSet;
class TAnchorLayout;
class TBitBtn;
class TDataSource;
class TDBGridEh;
class TEdit;
class TLabel;
class TPanel;
class TSpeedButton;

class TQELVOR_Form : public TForm {
    Q_OBJECT
public:
    TQELVOR_Form();
    ~TQELVOR_Form() override;

    // The caption as stored in the layout; ShowForm appends the version.
    static QString DesignCaption();

    // Published components, in declaration order.
    TDBGridEh* DBGridEh1 = nullptr;
    TPanel* Panel1 = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* Edit1 = nullptr;
    TLabel* Label4 = nullptr;
    TEdit* Edit2 = nullptr;
    TADODataSet* QELV_Set = nullptr;
    TDataSource* DataSource1 = nullptr;
    TSpeedButton* SpeedButton3 = nullptr;
    TBitBtn* BitBtn1 = nullptr;

    // Published handlers, in declaration order.
    // Runs the query chosen by the two edits (closes, sets the statement, opens), then
    // sorts the new rows as the titles' markers say.
    void BitBtn1Click();
    // Closes the form, ending its modal loop.
    void SpeedButton3Click();
    // Attaches the dataset to the host's connection.
    void FormShow() override;
    // Hands the grid's sort markers to the dataset as its sort string.
    void DBGridEh1SortMarkingChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // A control of the panel's row with its designed bounds and the least width it keeps.
    struct TPanelPart {
        QWidget* control;
        QRect design;
        int least;
    };

    // After a search: the sort the titles show, applied to the rows just fetched.
    void ApplyMarkedSortToNewRows();
    void CreateNonVisualComponents();
    void CreateControls();
    void CreatePanelControls();
    void ConfigureGrid();
    void SetTabOrder();
    void AnchorControls();
    // Narrower than designed (a small screen, a large scale), the panel narrows with the
    // form and its edits, then its labels, give up width, so that 检索 stays in the window.
    void FitPanelToWidth();

    std::unique_ptr<TADODataSet> dataSet_;
    std::unique_ptr<TDataSource> dataSource_;
    TAnchorLayout* anchors_ = nullptr;  // owned by the form (Qt child)
    QRect panelDesign_;
    std::vector<TPanelPart> panelParts_;  // left to right
};

// The form of the running ShowForm call; none outside one.
extern TQELVOR_Form* QELVOR_Form;

}  // namespace qelvor
