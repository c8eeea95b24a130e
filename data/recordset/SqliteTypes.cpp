#include "data/recordset/SqliteTypes.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace qelvor::recordset {

namespace {

struct ParsedType {
    std::string name;       // upper case, without the arguments
    std::optional<long> first;
    std::optional<long> second;
};

ParsedType Parse(const char* text)
{
    ParsedType parsed;
    const char* at = text;
    for (; *at && *at != '('; ++at)
        parsed.name += static_cast<char>(std::toupper(static_cast<unsigned char>(*at)));
    if (*at == '(') {
        char* end = nullptr;
        const long first = std::strtol(at + 1, &end, 10);
        if (end != at + 1)
            parsed.first = first;
        while (*end == ' ')
            ++end;
        if (*end == ',') {
            const char* start = end + 1;
            const long second = std::strtol(start, &end, 10);
            if (end != start)
                parsed.second = second;
        }
    }
    while (!parsed.name.empty() && parsed.name.back() == ' ')
        parsed.name.pop_back();
    return parsed;
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

DeclaredType Make(DataTypeEnum type, ColumnStorage storage, int precision = 0)
{
    DeclaredType declared;
    declared.type = type;
    declared.storage = storage;
    declared.precision = precision;
    return declared;
}

DeclaredType Date(DataTypeEnum type, DateTimeValue::Kind kind)
{
    DeclaredType declared = Make(type, ColumnStorage::DateTime);
    declared.dateKind = kind;
    return declared;
}

}  // namespace

std::optional<DeclaredType> MapDeclaredType(const char* declaredType)
{
    if (!declaredType || !*declaredType)
        return std::nullopt;
    const ParsedType parsed = Parse(declaredType);
    const std::string& name = parsed.name;

    if (Contains(name, "CHAR") || Contains(name, "TEXT") || Contains(name, "CLOB") || name == "STRING") {
        DeclaredType declared = Make(adVarWChar, ColumnStorage::Text);
        declared.size = parsed.first.value_or(0) > 0 ? *parsed.first : 0;
        return declared;
    }
    if (name == "BOOLEAN" || name == "BOOL" || name == "BIT")
        return Make(adBoolean, ColumnStorage::Boolean);
    if (name == "BIGINT" || name == "INT8" || name == "UNSIGNED BIG INT")
        return Make(adBigInt, ColumnStorage::Integer, 19);
    if (name == "SMALLINT" || name == "INT2")
        return Make(adSmallInt, ColumnStorage::Integer, 5);
    if (name == "TINYINT")
        return Make(adTinyInt, ColumnStorage::Integer, 3);
    if (Contains(name, "INT"))
        return Make(adInteger, ColumnStorage::Integer, 10);
    if (Contains(name, "REAL") || Contains(name, "DOUBLE") || Contains(name, "FLOA"))
        return Make(adDouble, ColumnStorage::Real, 15);
    if ((name == "NUMERIC" || name == "DECIMAL") && parsed.first && *parsed.first > 0) {
        DeclaredType declared = Make(adNumeric, ColumnStorage::Decimal, static_cast<int>(*parsed.first));
        declared.scale = static_cast<int>(parsed.second.value_or(0));
        return declared;
    }
    if (name == "DATETIME" || Contains(name, "TIMESTAMP"))
        return Date(adDBTimeStamp, DateTimeValue::Kind::DateTime);
    if (name == "DATE")
        return Date(adDBDate, DateTimeValue::Kind::Date);
    if (name == "TIME")
        return Date(adDBTime, DateTimeValue::Kind::Time);
    if (Contains(name, "BLOB") || Contains(name, "BINARY"))
        return Make(adLongVarBinary, ColumnStorage::Binary);
    return std::nullopt;
}

}  // namespace qelvor::recordset
