#include "bench/BenchStore.h"

#include "standin/zebqt/ContainerWriter.h"

bool MakeStore(const std::wstring& folder, std::vector<BenchContainer>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        BenchContainer& row = rows[i];
        zq::ContainerHeader header;
        header.time.year = row.time.wYear;
        header.time.month = row.time.wMonth;
        header.time.day = row.time.wDay;
        header.time.hour = row.time.wHour;
        header.time.minute = row.time.wMinute;
        header.time.second = row.time.wSecond;
        header.virus = std::u16string(row.virus.begin(), row.virus.end());
        std::vector<zq::PendingObject> objects(1);
        objects[0].meta.kind = zq::kKindFile;
        objects[0].meta.path = std::u16string(row.origPath.begin(), row.origPath.end());
        objects[0].meta.virus = header.virus;
        const std::string bytes = "sample " + std::to_string(i);
        objects[0].data.assign(bytes.begin(), bytes.end());
        std::wstring path;
        if (zq::WriteContainer(folder, header, path, objects, false) != 0) return false;
        row.file = path;
    }
    return true;
}
