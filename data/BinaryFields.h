// BinaryFields: byte, blob and memo field classes.
//
// Byte values show as upper-case hexadecimal (lossless and printable); a memo shows
// its text. Size() is the declared length in bytes or characters (0 = unbounded).
#pragma once

#include "data/Field.h"

namespace qelvor {

class TBytesField : public TField {
public:
    TBytesField(TDataSet* dataSet, int size) : TBytesField(dataSet, size, TFieldType::ftBytes) {}
    int DataSize() const override { return Size(); }

protected:
    TBytesField(TDataSet* dataSet, int size, TFieldType dataType) : TField(dataSet, dataType, size) {}
    std::string FormatText(const Variant& value, bool displayText) const override;
};

class TVarBytesField : public TBytesField {
public:
    TVarBytesField(TDataSet* dataSet, int size) : TBytesField(dataSet, size, TFieldType::ftVarBytes) {}
    // Two length bytes before the data.
    int DataSize() const override { return Size() + 2; }
};

class TBlobField : public TBytesField {
public:
    TBlobField(TDataSet* dataSet, int size, TFieldType dataType = TFieldType::ftBlob) : TBytesField(dataSet, size, dataType) {}
    // Blobs live outside the record buffer.
    int DataSize() const override { return 0; }
};

class TGraphicField : public TBlobField {
public:
    TGraphicField(TDataSet* dataSet, int size) : TBlobField(dataSet, size, TFieldType::ftGraphic) {}
};

class TMemoField : public TBlobField {
public:
    TMemoField(TDataSet* dataSet, int size, TFieldType dataType = TFieldType::ftMemo) : TBlobField(dataSet, size, dataType) {}

protected:
    std::string FormatText(const Variant& value, bool displayText) const override;
};

}  // namespace qelvor
