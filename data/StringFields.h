// StringFields: the text field classes (8-bit declared, wide declared, GUID text).
//
// All text is UTF-8 inside the system, so the string and wide-string classes differ
// only in their field type and native size; neither converts anything.
#pragma once

#include "data/Field.h"

namespace qelvor {

class TStringField : public TField {
public:
    // size 0 means the class default of 20 characters.
    explicit TStringField(TDataSet* dataSet, int size = 0, TFieldType dataType = TFieldType::ftString);
    int DataSize() const override { return Size() + 1; }
    // True for a fixed-width column (its values are padded to Size()).
    bool FixedChar() const { return fixedChar_; }
    void SetFixedChar(bool fixed) { fixedChar_ = fixed; }
    // Always true: the dataset's character translation leaves UTF-8 unchanged.
    bool Transliterate() const { return true; }
    // True when the column declares no length and Size() is the widest value fetched;
    // the default display width then does not follow Size().
    bool SizeFromValues() const { return sizeFromValues_; }
    void SetSizeFromValues(bool fromValues) { sizeFromValues_ = fromValues; }
    // The length the column declares where values exceed it (an engine that does not
    // enforce it); 0 when Size() is that length. The default display width follows it.
    int DeclaredSize() const { return declaredSize_; }
    void SetDeclaredSize(int size) { declaredSize_ = size; }

protected:
    int DefaultDisplayWidth() const override;

private:
    bool fixedChar_ = false;
    bool sizeFromValues_ = false;
    int declaredSize_ = 0;
};

class TWideStringField : public TStringField {
public:
    explicit TWideStringField(TDataSet* dataSet, int size = 0);
    int DataSize() const override { return (Size() + 1) * 2; }
};

// A GUID in its 38-character braced text form.
class TGuidField : public TStringField {
public:
    explicit TGuidField(TDataSet* dataSet);
};

}  // namespace qelvor
