#include "buttons/launcher_button.h"

#include "store/db_session.h"

namespace quorlin {

void LauncherButton::LoadFromRecord(const Recordset& rs) {
    ReadButtonRecord(rs, *this);
    RebuildImage();
}

}  // namespace quorlin
