// Field: one column of a dataset's result, with its name, label, width and texts.
//
// Fields are created by their dataset when it opens (one per result column, class by
// field type) and destroyed when it closes; consumers that keep a TField* register
// with FreeNotification. A field reads its value from the dataset's active record.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "runtime/Component.h"
#include "runtime/Variant.h"

namespace qelvor {

class TDataSet;
class TField;
struct TFieldDef;
std::unique_ptr<TField> CreateField(TDataSet* dataSet, const TFieldDef& def);

enum class TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
    ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
    ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd,
};

enum class TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TField : public TComponent {
public:
    // Replaces the display text when assigned (the field's OnGetText).
    using TFieldGetTextEvent = std::function<void(TField& sender, std::string& text, bool displayText)>;

    ~TField() override;

    TDataSet* DataSet() const { return dataSet_; }
    TFieldType DataType() const { return dataType_; }
    TFieldKind FieldKind() const { return fieldKind_; }
    bool Calculated() const { return fieldKind_ == TFieldKind::fkCalculated; }
    // Declared size: characters for text, precision digits' scale for decimals.
    int Size() const { return size_; }
    // Bytes of the field's native value (8 for date-time values).
    virtual int DataSize() const;
    // 1-based column number in the result.
    int FieldNo() const { return fieldNo_; }
    // Position in the dataset's field list.
    int Index() const;

    const std::string& FieldName() const { return fieldName_; }
    // Stores the name; a display label equal to the new name is cleared.
    void SetFieldName(const std::string& name);
    // The stored label, or FieldName when none is stored.
    std::string DisplayLabel() const;
    void SetDisplayLabel(const std::string& label);
    // DisplayLabel, the name a consumer shows for the field.
    std::string DisplayName() const { return DisplayLabel(); }

    // The stored width when 1 or more, else the class default (characters).
    int DisplayWidth() const;
    void SetDisplayWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }

    // Value of the field in the dataset's active record (null when none).
    Variant Value() const;
    bool IsNull() const { return Value().IsNull(); }
    // Plain text of the value (the edit representation).
    std::string AsString() const { return Text(false); }
    // Text shown in a cell: OnGetText when assigned, else the class's display text.
    std::string DisplayText() const { return Text(true); }
    // Text an editor starts from.
    std::string EditText() const { return Text(false); }
    // Numeric and date fields: format used by DisplayText when not empty.
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& format) { displayFormat_ = format; }
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& mask) { editMask_ = mask; }
    // Whether `character` may be typed into the field (numbers refuse letters).
    virtual bool IsValidChar(char32_t character) const;

    TFieldGetTextEvent OnGetText;

protected:
    TField(TDataSet* dataSet, TFieldType dataType, int size);
    // The class's text for a non-null value.
    virtual std::string FormatText(const Variant& value, bool displayText) const;
    // Default display width of the class (used while no width is stored).
    virtual int DefaultDisplayWidth() const;
    // Notifies the dataset that a visible property changed (a layout change).
    void PropertyChanged(bool layoutAffected);

private:
    friend class TDataSet;
    friend std::unique_ptr<TField> CreateField(TDataSet* dataSet, const TFieldDef& def);
    std::string Text(bool displayText) const;

    TDataSet* dataSet_;
    int valueSlot_ = -1;  // index of the field's value in every record buffer
    TFieldType dataType_;
    TFieldKind fieldKind_ = TFieldKind::fkData;
    int size_;
    int fieldNo_ = 0;
    std::string fieldName_;
    std::string displayLabel_;
    int displayWidth_ = 0;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool visible_ = true;
    bool readOnly_ = false;
    bool required_ = false;
    std::string displayFormat_;
    std::string editMask_;
};

}  // namespace qelvor
