// DataLink: one consumer's view of a dataset's record window.
//
// The link's record 0 is dataset slot FirstRecord(); it shows BufferCount() records.
// It follows its source's state (Active) and receives the data events as the
// protected notifications below, which consumers override. While active, the link
// keeps the dataset's active record inside its range (the range update).
#pragma once

#include <cstdint>

#include "data/DataSet.h"

namespace qelvor {

class TDataSource;

class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    // Fails with "DataSource cannot be changed" when DataSourceFixed and the source differs.
    void SetDataSource(TDataSource* dataSource);
    // The source's dataset, or nullptr.
    TDataSet* DataSet() const;

    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool DataSourceFixed() const { return dataSourceFixed_; }
    void SetDataSourceFixed(bool fixed) { dataSourceFixed_ = fixed; }
    bool VisualControl() const { return visualControl_; }
    void SetVisualControl(bool visual) { visualControl_ = visual; }

    // Dataset active record − first record (0 in set-key state).
    int ActiveRecord() const;
    // Makes record `value` of this link the dataset's active record (no event).
    void SetActiveRecord(int value);
    int BufferCount() const { return bufferCount_; }
    // Runs the range update and resizes the dataset's window while active.
    void SetBufferCount(int value);
    // min(BufferCount, dataset's window record count); 1 in set-key state.
    int RecordCount() const;
    int FirstRecord() const { return firstRecord_; }
    bool Bof() const;
    bool Eof() const;
    int MoveBy(int distance);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataEvent(TDataEvent event, std::intptr_t info);
    virtual void DataSetChanged();
    virtual void DataSetScrolled(int distance);
    virtual void EditingChanged() {}
    virtual void FocusControl(TField** field) { (void)field; }
    virtual void LayoutChanged();
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void UpdateData() {}

private:
    friend class TDataSet;
    friend class TDataSource;

    void UpdateRange();
    void UpdateState();
    bool InSetKeyState() const;

    TDataSource* dataSource_ = nullptr;
    TDataLink* next_ = nullptr;  // the dataset's chain of links
    int firstRecord_ = 0;
    int bufferCount_ = 1;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    bool visualControl_ = false;
    bool dataSourceFixed_ = false;
};

}  // namespace qelvor
