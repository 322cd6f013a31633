#include "standin/tool/ToolCommands.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "framework/Handles.h"
#include "standin/zebqt/ContainerRestore.h"
#include "standin/zebqt/ContainerWriter.h"
#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/PathRules.h"
#include "standin/zebqt/Quarantining.h"
#include "standin/zebqt/Status.h"
#include "standin/zebqt/StoreFolder.h"

namespace zqtool {
namespace {

std::u16string Text16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}
std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

void Write(FILE* stream, const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string bytes(n > 0 ? n : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n,
                              nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

// Options of the form "--name value" and "--flag" after the positional
// arguments; repeated options keep every value in order.
struct Options {
    Args positional;
    std::vector<std::pair<std::wstring, std::wstring>> named;

    bool Has(const std::wstring& name) const {
        for (const auto& option : named)
            if (option.first == name) return true;
        return false;
    }
    std::wstring Value(const std::wstring& name,
                       const std::wstring& fallback = std::wstring()) const {
        for (const auto& option : named)
            if (option.first == name) return option.second;
        return fallback;
    }
};

bool ParseOptions(const Args& args, const std::vector<std::wstring>& flags, Options& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.compare(0, 2, L"--") != 0) {
            options.positional.push_back(arg);
            continue;
        }
        bool isFlag = false;
        for (const std::wstring& flag : flags) isFlag = isFlag || flag == arg;
        if (isFlag) {
            options.named.emplace_back(arg, std::wstring());
        } else if (i + 1 < args.size()) {
            options.named.emplace_back(arg, args[++i]);
        } else {
            PrintError(L"missing value for " + arg);
            return false;
        }
    }
    return true;
}

bool HeaderFrom(const Options& options, const std::wstring& virus, zq::ContainerHeader& header) {
    header.virus = Text16(virus);
    header.time = zq::NowStamp();
    if (options.Has(L"--time") && !ParseStamp(options.Value(L"--time"), header.time)) {
        PrintError(L"bad time stamp: " + options.Value(L"--time"));
        return false;
    }
    return true;
}

std::wstring StampText(const zq::StampFields& t) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%04u-%02u-%02uT%02u:%02u:%02u", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

int Report(int32_t status, const std::wstring& containerPath) {
    if (status == zq::kOk) {
        Print(containerPath);
        return 0;
    }
    if (status == zq::kOriginalKept) {
        Print(containerPath);
        PrintError(L"stored, but the original could not be removed");
        return 2;
    }
    PrintError(L"failed with status " + std::to_wstring(status));
    return 2;
}

// A file object made from bytes in memory, as if a file of that name had
// been quarantined.
zq::PendingObject MemoryFile(const std::wstring& origPath, const std::wstring& virus,
                             const std::vector<uint8_t>& bytes) {
    zq::PendingObject object;
    object.meta.kind = zq::kKindFile;
    object.meta.path = Text16(origPath);
    object.meta.virus = Text16(virus);
    zq::FileRecord record;
    record.attributes = FILE_ATTRIBUTE_ARCHIVE;
    object.meta.record = zq::PackFileRecord(record);
    object.data = bytes;
    return object;
}

std::vector<uint8_t> Utf16Bytes(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

bool RewriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && zq::WriteAll(file.Get(), bytes.data(), bytes.size());
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Damages a well-formed container in one of the ways a disk, a transfer or
// a hostile hand might. What spoils an object spoils the last one, the file.
bool Damage(const std::wstring& how, std::vector<uint8_t>& bytes,
            const zq::ParsedContainer& parsed) {
    const size_t headerEnd = static_cast<size_t>(parsed.objects.front().offset);
    const size_t fileObject = static_cast<size_t>(parsed.objects.back().offset);
    const size_t payload = static_cast<size_t>(parsed.objects.back().payloadOffset);
    if (how == L"truncated") {
        bytes.resize(payload + (bytes.size() - payload) / 2);
    } else if (how == L"payload") {
        bytes[payload + (bytes.size() - payload) / 2] ^= 0x5a;
    } else if (how == L"header") {
        bytes[headerEnd - 6] ^= 0x01;  // inside the virus name, under the header's checksum
    } else if (how == L"magic") {
        bytes[0] ^= 0xff;
    } else if (how == L"count") {
        // A believable header that promises far more objects than exist.
        PutU32(bytes, 32, 0x7fffffff);
        PutU32(bytes, headerEnd - 4, zq::Crc32(bytes.data(), headerEnd - 4));
    } else if (how == L"empty") {
        bytes.clear();
    } else if (how == L"trailing") {
        bytes.insert(bytes.end(), {'j', 'u', 'n', 'k'});
    } else if (how == L"object") {
        bytes[fileObject + 4] ^= 0x01;  // the object's kind, under its checksum
    } else {
        return false;
    }
    return true;
}

}  // namespace

void Print(const std::wstring& line) {
    Write(stdout, line);
}
void PrintError(const std::wstring& line) {
    Write(stderr, line);
}

bool ParseStamp(const std::wstring& text, zq::StampFields& stamp) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    wchar_t tail = 0;
    const int n = std::swscanf(text.c_str(), L"%4u-%2u-%2uT%2u:%2u:%2u%lc", &year, &month, &day,
                               &hour, &minute, &second, &tail);
    if (n != 5 && n != 6) return false;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return false;
    stamp = zq::StampFields();
    stamp.year = static_cast<uint16_t>(year);
    stamp.month = static_cast<uint16_t>(month);
    stamp.day = static_cast<uint16_t>(day);
    stamp.hour = static_cast<uint16_t>(hour);
    stamp.minute = static_cast<uint16_t>(minute);
    stamp.second = static_cast<uint16_t>(second);
    return true;
}

int Add(const Args& args) {
    Options options;
    if (!ParseOptions(args, {L"--keep"}, options) || options.positional.size() != 3) return 1;
    zq::ContainerHeader header;
    if (!HeaderFrom(options, options.positional[2], header)) return 1;
    std::vector<zq::FileToStore> files{
        {options.positional[1], options.Value(L"--as"), options.positional[2]}};
    for (const auto& option : options.named) {
        if (option.first == L"--also")
            files.push_back({option.second, std::wstring(), options.positional[2]});
        if (option.first == L"--also-as" && files.size() > 1) files.back().storedAs = option.second;
    }
    std::wstring containerPath;
    return Report(zq::QuarantineFiles(options.positional[0], header, files, !options.Has(L"--keep"),
                                      containerPath),
                  containerPath);
}

int List(const Args& args) {
    if (args.size() != 1) return 1;
    std::vector<std::wstring> names;
    if (!zq::ListContainerFiles(args[0], std::wstring(), names)) {
        PrintError(L"not a folder: " + args[0]);
        return 2;
    }
    const std::wstring folder = zq::WithOneTrailingBackslash(args[0]);
    for (const std::wstring& name : names) {
        const zq::ParsedContainer parsed = zq::ReadContainerFile(folder + name);
        if (!parsed.headerValid) {
            Print(name + L"\t(unreadable)");
            continue;
        }
        Print(name + L"\t" + StampText(parsed.time) + L"\t" + Wide(parsed.virus) + L"\t" +
              std::to_wstring(parsed.objects.size()) + (parsed.complete ? L"" : L"\t(damaged)"));
        for (size_t i = 0; i < parsed.objects.size(); ++i) {
            const zq::ObjectMeta& meta = parsed.objects[i].meta;
            std::wstring what = Wide(meta.path);
            if (meta.kind == zq::kKindRegistryValue) what += L" : " + Wide(meta.name);
            Print(L"  " + std::to_wstring(i) + L"\tkind " + std::to_wstring(meta.kind) + L"\t" +
                  what + L"\t" + std::to_wstring(meta.payloadSize) + L" bytes");
        }
    }
    return 0;
}

int MakeOdd(const Args& args) {
    Options options;
    if (!ParseOptions(args, {L"--behind-registry"}, options) || options.positional.size() < 2)
        return 1;
    const std::wstring& folder = options.positional[0];
    // Kinds may also be given by their numbers.
    const std::wstring kind = options.positional[1] == L"1"   ? std::wstring(L"registry")
                              : options.positional[1] == L"2" ? std::wstring(L"hosts")
                                                              : options.positional[1];
    const Args& p = options.positional;
    std::vector<zq::PendingObject> objects;
    zq::ContainerHeader header;
    std::wstring containerPath;
    if (kind == L"registry" && p.size() == 5) {
        if (!HeaderFrom(options, p[4], header)) return 1;
        zq::PendingObject object;
        object.meta.kind = zq::kKindRegistryValue;
        object.meta.path = Text16(p[2]);
        object.meta.name = Text16(p[3]);
        object.meta.virus = Text16(p[4]);
        object.meta.record = zq::PackRegistryRecord(REG_SZ);
        object.data = Utf16Bytes(options.Value(L"--data", L"restored value"));
        objects.push_back(object);
    } else if (kind == L"hosts" && p.size() == 4) {
        if (!HeaderFrom(options, p[3], header)) return 1;
        zq::PendingObject object;
        object.meta.kind = zq::kKindHostsEntry;
        object.meta.path = Text16(p[2]);
        object.meta.virus = Text16(p[3]);
        objects.push_back(object);
    } else if (kind == L"mixed" && p.size() == 4) {
        // A registry value and a hosts entry ahead of a file, all in one container.
        if (!HeaderFrom(options, p[3], header)) return 1;
        zq::PendingObject value;
        value.meta.kind = zq::kKindRegistryValue;
        value.meta.path = Text16(L"HKEY_CURRENT_USER\\Software\\ZEBQtTool\\Mixed");
        value.meta.name = Text16(L"Run");
        value.meta.virus = Text16(p[3]);
        value.meta.record = zq::PackRegistryRecord(REG_SZ);
        value.data = Utf16Bytes(L"mixed");
        zq::PendingObject hosts;
        hosts.meta.kind = zq::kKindHostsEntry;
        hosts.meta.path = Text16(L"127.0.0.1 mixed.example.invalid");
        hosts.meta.virus = Text16(p[3]);
        objects.push_back(value);
        objects.push_back(hosts);
        const std::vector<zq::FileToStore> files{{p[2], options.Value(L"--as"), p[3]}};
        int32_t status = zq::WriteContainer(folder, header, containerPath, objects);
        if (status == zq::kOk)
            status = zq::QuarantineFiles(folder, header, files, false, containerPath);
        return Report(status, containerPath);
    } else if (kind == L"damaged" && p.size() == 3) {
        const std::wstring virus = options.Value(L"--virus", L"Test.Damaged");
        if (!HeaderFrom(options, virus, header)) return 1;
        std::vector<uint8_t> sample(4096);
        for (size_t i = 0; i < sample.size(); ++i) sample[i] = static_cast<uint8_t>(i * 7 + 3);
        if (options.Has(L"--behind-registry")) {
            // A value that a restore into a folder passes over, ahead of the
            // file that cannot come back.
            zq::PendingObject value;
            value.meta.kind = zq::kKindRegistryValue;
            value.meta.path = Text16(L"HKEY_CURRENT_USER\\Software\\ZEBQtTool\\Damaged");
            value.meta.name = Text16(L"Run");
            value.meta.virus = Text16(virus);
            value.meta.record = zq::PackRegistryRecord(REG_SZ);
            value.data = Utf16Bytes(L"damaged");
            objects.push_back(value);
        }
        objects.push_back(
            MemoryFile(options.Value(L"--as", L"C:\\Damaged\\sample.bin"), virus, sample));
        int32_t status = zq::WriteContainer(folder, header, containerPath, objects);
        if (status != zq::kOk) return Report(status, containerPath);
        zq::FileSource source(containerPath);
        const zq::ParsedContainer parsed = zq::ParseContainer(source);
        std::vector<uint8_t> bytes(static_cast<size_t>(source.Size()));
        const bool read = source.Read(0, bytes.data(), bytes.size());
        source.Close();
        if (!read || parsed.objects.empty() || !Damage(p[2], bytes, parsed)) {
            ::DeleteFileW(containerPath.c_str());
            return 1;
        }
        return Report(RewriteFile(containerPath, bytes) ? zq::kOk : zq::kStoreFailed,
                      containerPath);
    } else {
        return 1;
    }
    return Report(zq::WriteContainer(folder, header, containerPath, objects), containerPath);
}

int Bulk(const Args& args) {
    Options options;
    if (!ParseOptions(args, {}, options) || options.positional.size() != 3) return 1;
    const unsigned long count = std::wcstoul(options.positional[1].c_str(), nullptr, 10);
    const unsigned long size = std::wcstoul(options.positional[2].c_str(), nullptr, 10);
    if (size > (256ul << 20)) return 1;
    const std::wstring virus = options.Value(L"--virus", L"Test.Bulk");
    static const wchar_t* const kExtensions[] = {L".exe", L".doc", L".txt", L".bin"};
    std::vector<uint8_t> bytes(size);
    for (unsigned long i = 0; i < count; ++i) {
        zq::ContainerHeader header;
        const std::wstring name = virus + L"." + std::to_wstring(i % 10);
        if (!HeaderFrom(options, name, header)) return 1;
        for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<uint8_t>((k * 31) ^ i);
        std::vector<zq::PendingObject> objects{MemoryFile(L"C:\\Bulk\\" + std::to_wstring(i / 100) +
                                                              L"\\file" + std::to_wstring(i) +
                                                              kExtensions[i % 4],
                                                          name, bytes)};
        std::wstring containerPath;
        const int32_t status =
            zq::WriteContainer(options.positional[0], header, containerPath, objects);
        if (status != zq::kOk) return Report(status, containerPath);
    }
    Print(std::to_wstring(count) + L" containers");
    return 0;
}

int Restore(const Args& args) {
    if (args.empty() || args.size() > 2) return 1;
    const int32_t status =
        zq::RestoreContainerFile(args[0], args.size() == 2 ? args[1] : std::wstring(), nullptr, 0);
    Print(std::to_wstring(status));
    return status == zq::kOk ? 0 : 2;
}

}  // namespace zqtool
