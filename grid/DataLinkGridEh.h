// DataLinkGridEh: what the data grid's link tells its grid. The data grid implements
// it; the link calls nothing else of the grid, so it stands below the grid.
#pragma once

namespace qelvor {

class TComponent;
class TCustomDBGridEh;
class TField;

class TDataLinkGridEh {
public:
    // The grid itself, for the link's public Grid() accessor.
    virtual TCustomDBGridEh* DataGrid() = 0;
    // The component a mapped field tells when it goes away.
    virtual TComponent* LinkFieldWatcher() = 0;

    // The link's reactions, one per notification of the dataset.
    virtual void LinkActiveChanged(bool active) = 0;
    virtual void LinkDataChanged() = 0;
    virtual void LinkScrolled(int distance) = 0;
    virtual void LinkRecordChanged(TField* field) = 0;
    virtual void LinkLayoutChanged() = 0;
    virtual void LinkEditingChanged() = 0;
    virtual void LinkUpdateData() = 0;
    virtual void LinkFocusField(TField** field) = 0;
    // The editing state is to be reset (a cancel).
    virtual void LinkReset() = 0;

protected:
    ~TDataLinkGridEh() = default;
};

}  // namespace qelvor
