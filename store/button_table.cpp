#include "store/button_table.h"

#include "store/db_session.h"

namespace quorlin {

namespace {
const std::uint32_t SQLITE_MISMATCH_CODE = 20;  // SQLITE_MISMATCH
}  // namespace

std::int64_t SortOfField(const FieldValue& value) {
    switch (value.type) {
        case FieldValue::Type::Null:
            return INT64_MIN;
        case FieldValue::Type::Int:
            return value.integer;
        case FieldValue::Type::Real:
            return SaturatedInt64(value.real);
        case FieldValue::Type::Text:
            return INT64_MAX;
    }
    return INT64_MIN;
}

std::int32_t KindOfField(const FieldValue& value) {
    std::int64_t v = 0;
    if (value.type == FieldValue::Type::Int) {
        v = value.integer;
    } else if (value.type == FieldValue::Type::Real && value.real >= INT32_MIN && value.real <= INT32_MAX &&
               value.real == static_cast<double>(static_cast<std::int64_t>(value.real))) {
        v = static_cast<std::int64_t>(value.real);
    } else {
        return kUnknownKind;
    }
    if (v < INT32_MIN || v > INT32_MAX) return kUnknownKind;
    return static_cast<std::int32_t>(v);
}

void ReadButtonRecord(const Recordset& rs, ButtonRecord& record) {
    const FieldValue id = rs.Get(L"ID");
    if (id.type != FieldValue::Type::Int) throw StoreError(SQLITE_MISMATCH_CODE, L"a row without an integer ID");
    record.ID = id.integer;
    record.iType = KindOfField(rs.Get(L"iType"));
    record.Title = rs.GetText(L"Title");
    record.PathName = rs.GetText(L"PathName");
    record.sort = SortOfField(rs.Get(L"sort"));
    FieldValue para = rs.Get(L"Para");
    record.Para = para.IsNull() ? std::wstring() : rs.GetText(L"Para");
}

std::size_t LengthInUtf16Units(const std::wstring& text) {
    std::size_t n = text.size();
    for (wchar_t c : text) n += (static_cast<std::uint32_t>(c) >> 16) != 0 ? 1 : 0;  // never where wchar_t is 16-bit
    return n;
}

OverLimit FieldOverLimit(const std::wstring& title, const std::wstring& path, const std::wstring& parameter) {
    if (LengthInUtf16Units(title) > kMaxTitleLength) return OverLimit::Title;
    if (LengthInUtf16Units(path) > kMaxPathLength) return OverLimit::Path;
    if (LengthInUtf16Units(parameter) > kMaxParameterLength) return OverLimit::Parameter;
    return OverLimit::None;
}

std::wstring DoubleApostrophes(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 4);
    for (wchar_t c : text) {
        out += c;
        if (c == L'\'') out += L'\'';
    }
    return out;
}

namespace statements {

std::wstring LoadAll() { return L"select * from tb_Btns where ID <> 2 order by sort asc"; }

std::wstring FindDuplicate(std::int32_t kind, const std::wstring& pathName) {
    return L"select ID from tb_Btns where iType=" + std::to_wstring(kind) + L" and PathName = '" +
           DoubleApostrophes(pathName) + L"'";
}

std::wstring LastBySort() { return L"select top 1 * from tb_Btns order by sort desc"; }

std::wstring DeleteOne(std::int64_t id) { return L"delete from tb_Btns where ID = " + std::to_wstring(id); }

std::wstring DeleteAllButReserved() {
    return L"delete from tb_Btns where ID > " + std::to_wstring(kLastReservedId);
}

std::wstring SetSort(std::int64_t sort, std::int64_t id) {
    return L"update tb_Btns set [sort] = " + std::to_wstring(sort) + L" where ID = " + std::to_wstring(id);
}

std::wstring SelectById(std::int64_t id) { return L"select * from tb_Btns where ID = " + std::to_wstring(id); }

}  // namespace statements

}  // namespace quorlin
