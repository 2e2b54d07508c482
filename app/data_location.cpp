#include "app/data_location.h"

namespace quorlin {

DataDecision DecideDataPlace(const DataFacts& f) {
    DataDecision d;
    // Without a per-user folder there is nowhere else to go: the executable's folder,
    // where opening the store reports any trouble as it always has.
    if (!f.haveUserFolder) return d;
    if (f.templateBesideExe) {
        d.place = DataPlace::PerUser;
        d.seed = f.userDatabaseExists ? SeedFrom::Nothing : SeedFrom::Template;
        return d;
    }
    // A portable copy without its database cannot seed anything: the store says it is missing.
    if (!f.databaseBesideExe) return d;
    if (f.exeFolderWritable && f.databaseWritable) return d;
    d.place = DataPlace::PerUser;
    if (!f.userDatabaseExists) {
        d.seed = SeedFrom::PortableDatabase;
        d.tellMoved = true;
    }
    return d;
}

std::wstring PerUserDataFolder(const std::wstring& appDataFolder) {
    if (appDataFolder.empty()) return std::wstring();
    std::wstring folder = appDataFolder;
    if (folder.back() == L'\\' || folder.back() == L'/') folder.pop_back();
    return folder + L"\\" + kPerUserFolder;
}

}  // namespace quorlin
