// DataSet: the generic dataset machinery, the record window and the data events.
//
// A dataset keeps a small ring of record buffers (the record window) around its
// current record, sized for the largest buffer count any of its data links asks for.
// Consumers see the window only through TDataSource and TDataLink; every change is
// announced as a data event, dispatched to the sources in attachment order.
//
// Invariants while open: 0 <= activeRecord < max(recordCount, 1);
// recordCount <= windowSize; buffers.size() == windowSize + 1 (the last slot is the
// temporary slot fetches land in); cursorRecord is -1 or a loaded slot; an empty
// window is at both BOF and EOF, BOF means the active record is slot 0 and EOF that
// it is the last loaded slot.
//
// Derived datasets (TADODataSet) supply the record source through the protected
// virtuals: opening and closing the cursor, fetching a record into a slot,
// positioning on a slot, reading a field value and the bookmark operations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "runtime/Component.h"
#include "runtime/Variant.h"
#include "data/Field.h"

namespace qelvor {

class TDataSource;
class TDataLink;

enum class TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
    dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening,
};

enum class TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
    deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
    deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange,
};

// Bookmark flag of a record buffer.
enum class TBookmarkFlag : std::uint8_t { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3, bfNA = 4 };

enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };

// Resynchronisation flags.
enum TResyncModeFlag : unsigned { rmExact = 1, rmCenter = 2 };

// A bookmark as a byte string of BookmarkSize() bytes; empty = no bookmark.
using TBookmark = std::string;

class TDataSet : public TComponent {
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet& dataSet)>;

    ~TDataSet() override;

    // --- state ---
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }

    // --- fields ---
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const { return fields_.at(static_cast<std::size_t>(index)).get(); }
    // Case-insensitive lookup in field order; nullptr when missing.
    TField* FindField(const std::string& fieldName) const;
    // As FindField, but raises "Field '%s' not found" (with this dataset's name).
    TField* FieldByName(const std::string& fieldName) const;
    // True while the fields were generated at open (no persistent fields).
    bool DefaultFields() const { return defaultFields_; }
    // Moves a field to a new position in the field list (a layout change).
    void MoveField(TField* field, int newIndex);

    // --- navigation ---
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves the active record by distance, fetching as needed; returns records moved.
    int MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return activeRecord_ >= recordCount_; }
    // Number of records in the whole result; needs an open dataset.
    virtual int RecordCount() const;
    // 1-based number of the active record (-1 when empty); needs an open dataset.
    virtual int RecNo() const;
    virtual void SetRecNo(int recordNumber);
    // True when records can be addressed by number (RecNo, RecordCount exact).
    virtual bool IsSequenced() const;
    // Reloads the window around the record source's current record.
    void Resync(unsigned modeFlags);
    // Fails with the closed-dataset error when inactive; sends deCheckBrowseMode.
    void CheckBrowseMode();
    // Cancels pending edits (nothing to cancel while browsing).
    void Cancel();

    // --- bookmarks ---
    int BookmarkSize() const { return bookmarkSize_; }
    bool BookmarkAvailable() const;
    // Bookmark of the active record, or empty when none is available.
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);
    virtual int CompareBookmarks(const TBookmark& first, const TBookmark& second) const;
    virtual bool BookmarkValid(const TBookmark& bookmark);

    // --- notifications ---
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ != 0; }
    bool IsUnidirectional() const { return unidirectional_; }

    // --- record window, read by data links ---
    int WindowSize() const { return windowSize_; }
    int WindowRecordCount() const { return recordCount_; }
    int ActiveRecord() const { return activeRecord_; }
    // Makes slot `slot` the active record without any event (used while painting).
    void SetActiveRecordSlot(int slot);
    // Runs `read` with record number recordNumber (1-based, of the whole result)
    // standing in for the active record, so that fields read its values. No data event
    // is sent; the window, the current record and its values are unchanged afterwards.
    // False, without running `read`, unless the dataset is browsing, is not empty and
    // can reach that record by number.
    bool ReadRecordAt(int recordNumber, const std::function<void()>& read);

    // The source this dataset takes its master values from (none for a plain query);
    // data sources use it to refuse circular links.
    virtual TDataSource* MasterSource() const { return nullptr; }

    // Notifications around opening, closing and every scroll (unassigned = skipped).
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeScroll, AfterScroll;

protected:
    explicit TDataSet(std::string name = {});

    // Record source, supplied by derived datasets.
    virtual void InternalOpen() = 0;    // open the cursor, define fields
    virtual void InternalClose() = 0;   // drop the cursor
    virtual void InternalFirst() = 0;   // before the first row
    virtual void InternalLast() = 0;    // after the last row
    virtual TGetResult GetRecord(int slot, TGetMode mode, bool doCheck) = 0;
    virtual void InternalSetToRecord(int slot) = 0;
    virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
    // Reads the value of `field` for window slot `slot` (may consult the cursor).
    virtual Variant ReadFieldValue(int slot, const TField& field) = 0;
    // Positions the record source on record number recordNumber (1-based); false when
    // records cannot be addressed by number (the default) or there is no such record.
    virtual bool InternalSetToRecordNumber(int recordNumber);

    // Data events.
    void DataEvent(TDataEvent event, std::intptr_t info);
    void SetState(TDataSetState state);

    // Buffer bookkeeping shared with derived datasets.
    struct RecordBuffer {
        TBookmark bookmark;
        TBookmarkFlag bookmarkFlag = TBookmarkFlag::bfNA;
        int recordStatus = 0;    // the record set's status bits of the record
        int recordNumber = -2;   // 1-based position in the result; -2: not known
        std::vector<Variant> values;      // one slot per field
        std::vector<bool> valueLoaded;
    };
    RecordBuffer& Buffer(int slot) { return buffers_.at(static_cast<std::size_t>(slot)); }
    int TemporarySlot() const { return windowSize_; }
    void SetBookmarkSize(int size) { bookmarkSize_ = size; }
    void SetUnidirectional(bool value) { unidirectional_ = value; }
    void CursorPosChanged() { cursorRecord_ = -1; }
    // Positions the record source on a loaded slot (no move when it is the cursor record).
    void SetCurrentRecord(int slot);
    // Raises the closed-dataset error while inactive.
    void CheckActive() const;
    // Runs one of the notifications (BeforeScroll, ...) when it is assigned.
    void DoNotify(const TDataSetNotifyEvent& event);
    void AddField(std::unique_ptr<TField> field);
    void DestroyFields();
    void SetDefaultFields(bool value) { defaultFields_ = value; }

private:
    friend class TDataSource;
    friend class TDataLink;
    friend class TField;

    // Opening and closing (DataSetState.cpp).
    void OpenCursor();
    void CloseCursor();
    // Data sources and the window size (DataSetLinks.cpp).
    void AddDataSource(TDataSource* dataSource);
    void RemoveDataSource(TDataSource* dataSource);
    void UpdateBufferCount();
    void ResizeWindow(int newSize);
    // Fetches (DataSetWindow.cpp).
    TGetResult FetchInto(int slot, TGetMode mode, bool doCheck);
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void ClearBuffers();
    void ActivateBuffers();
    void FreeBuffers();
    void SendMoveEvent(int oldRecordCount, int scrollCount);
    // Checks (in builds with assertions) the window invariants stated above and that
    // BOF sits on the first and EOF on the last loaded record.
    void AssertWindowConsistent() const;
    // The value of `field` in the active record, read at most once per fetch.
    Variant ActiveFieldValue(const TField& field);

    std::vector<std::unique_ptr<TField>> fields_;  // the fields, in display order; the dataset owns them
    std::vector<TDataSource*> dataSources_;  // data sources attached to this dataset
    TDataLink* firstLink_ = nullptr;  // head of the chain of every source's links, rebuilt when links change
    std::vector<RecordBuffer> buffers_;  // the record window's slots plus one temporary slot at the end
    TDataSetState state_ = TDataSetState::dsInactive;  // closed, browsing, editing ...
    int windowSize_ = 0;  // slots of the record window: the largest buffer count of all links
    int recordCount_ = 0;  // slots that hold a record now (<= windowSize_)
    int activeRecord_ = 0;  // slot of the current record
    int cursorRecord_ = -1;  // slot the record source is positioned on; -1: unknown
    int bookmarkSize_ = 0;  // bytes of a bookmark, as the derived dataset encodes it
    int disableCount_ = 0;  // depth of DisableControls; links hear nothing while > 0
    // The thread that made the dataset: its events reach controls, which live there. Long
    // work may run elsewhere but hands its result back before any event.
    const std::thread::id ownerThread_ = std::this_thread::get_id();
    TDataSetState disableState_ = TDataSetState::dsInactive;  // the state when controls were disabled
    TDataEvent enableEvent_ = TDataEvent::deDataSetChange;  // the event EnableControls sends to catch the links up
    bool bof_ = true;  // the last move ran into the first record
    bool eof_ = true;  // the last move ran past the last record
    bool defaultFields_ = false;  // the fields were made from the result on open (and go on close)
    bool unidirectional_ = false;  // the record source moves forward only: no window reload, no bookmarks
};

}  // namespace qelvor
