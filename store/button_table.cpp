#include "store/button_table.h"

#include "store/db_session.h"

namespace quorlin {

void ReadButtonRecord(const Recordset& rs, ButtonRecord& record) {
    record.ID = rs.GetInt(L"ID");
    record.iType = rs.GetInt(L"iType");
    record.Title = rs.GetText(L"Title");
    record.PathName = rs.GetText(L"PathName");
    record.sort = rs.GetInt(L"sort");
    FieldValue para = rs.Get(L"Para");
    record.Para = para.IsNull() ? std::wstring() : rs.GetText(L"Para");
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

std::wstring DeleteOne(std::int32_t id) { return L"delete from tb_Btns where ID = " + std::to_wstring(id); }

std::wstring DeleteAllButReserved() {
    return L"delete from tb_Btns where ID > " + std::to_wstring(kLastReservedId);
}

std::wstring SetSort(std::int32_t sort, std::int32_t id) {
    return L"update tb_Btns set [sort] = " + std::to_wstring(sort) + L" where ID = " + std::to_wstring(id);
}

std::wstring SelectById(std::int32_t id) { return L"select * from tb_Btns where ID = " + std::to_wstring(id); }

}  // namespace statements

}  // namespace quorlin
