// The built programs as files: what they import and how they ask to be loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "process.h"

namespace {

struct PeFile {
    bool valid = false;
    WORD machine = 0;
    WORD characteristics = 0;
    WORD dllCharacteristics = 0;
    WORD subsystem = 0;
    std::vector<std::string> imports;
};

// Reads just enough of a PE image: headers, then the import directory through the sections.
PeFile ReadPe(const std::string& path) {
    PeFile pe;
    std::string image = ReadFile(path);
    auto at = [&](size_t offset, size_t size) { return offset + size <= image.size(); };
    if (!at(0, sizeof(IMAGE_DOS_HEADER))) return pe;
    IMAGE_DOS_HEADER dos;
    memcpy(&dos, image.data(), sizeof dos);
    size_t nt = dos.e_lfanew;
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || !at(nt, 4 + sizeof(IMAGE_FILE_HEADER) + 2)) return pe;
    IMAGE_FILE_HEADER file;
    memcpy(&file, image.data() + nt + 4, sizeof file);
    size_t optional = nt + 4 + sizeof file;
    WORD magic;
    memcpy(&magic, image.data() + optional, 2);
    DWORD importRva = 0;
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC && at(optional, sizeof(IMAGE_OPTIONAL_HEADER64))) {
        IMAGE_OPTIONAL_HEADER64 header;
        memcpy(&header, image.data() + optional, sizeof header);
        pe.dllCharacteristics = header.DllCharacteristics;
        pe.subsystem = header.Subsystem;
        importRva = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC &&
               at(optional, sizeof(IMAGE_OPTIONAL_HEADER32))) {
        IMAGE_OPTIONAL_HEADER32 header;
        memcpy(&header, image.data() + optional, sizeof header);
        pe.dllCharacteristics = header.DllCharacteristics;
        pe.subsystem = header.Subsystem;
        importRva = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    } else {
        return pe;
    }
    pe.machine = file.Machine;
    pe.characteristics = file.Characteristics;

    std::vector<IMAGE_SECTION_HEADER> sections(file.NumberOfSections);
    size_t sectionTable = optional + file.SizeOfOptionalHeader;
    if (!at(sectionTable, sections.size() * sizeof(IMAGE_SECTION_HEADER))) return pe;
    memcpy(sections.data(), image.data() + sectionTable,
           sections.size() * sizeof(IMAGE_SECTION_HEADER));
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (const auto& s : sections)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return rva - s.VirtualAddress + s.PointerToRawData;
        return image.size();
    };
    for (size_t entry = fileOffset(importRva);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        if (!at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR))) return pe;
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        memcpy(&descriptor, image.data() + entry, sizeof descriptor);
        if (descriptor.Name == 0) break;
        size_t name = fileOffset(descriptor.Name);
        if (name >= image.size()) return pe;
        std::string dll = image.c_str() + name;
        std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
        pe.imports.push_back(dll);
    }
    pe.valid = true;
    return pe;
}

const std::set<std::string> kSystemDlls = {
    "kernel32.dll", "user32.dll", "gdi32.dll",  "advapi32.dll", "comctl32.dll",
    "shell32.dll",  "ole32.dll",  "msvcrt.dll", "shlwapi.dll",  "comdlg32.dll",
};

void ExpectShippable(const std::string& path, WORD machine, bool highEntropy) {
    SCOPED_TRACE(path);
    PeFile pe = ReadPe(path);
    ASSERT_TRUE(pe.valid) << "a readable PE image";
    EXPECT_EQ(machine, pe.machine);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, pe.subsystem);
    for (const std::string& dll : pe.imports)
        EXPECT_TRUE(kSystemDlls.count(dll)) << dll << " is not a Windows system DLL";
    EXPECT_TRUE(std::count(pe.imports.begin(), pe.imports.end(), "comctl32.dll"))
        << "the common controls are loaded with the program, registering the list view class";
    EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << "ASLR";
    EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << "DEP";
    EXPECT_FALSE(pe.characteristics & IMAGE_FILE_RELOCS_STRIPPED) << "relocatable";
    if (highEntropy) {
        EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    }
}

}  // namespace

TEST(BuiltPrograms, ImportOnlySystemDllsAndAskForAslrAndDep) {
    ExpectShippable(MonitorExePath(), IMAGE_FILE_MACHINE_AMD64, true);
    // The shipped 32-bit build sits beside this one in the build tree.
    std::string shipped = TestDirectory() + "\\..\\..\\win32\\app\\QuillomaticMonitor.exe";
    ASSERT_TRUE(FileExists(shipped)) << "build the win32 preset first: " << shipped;
    ExpectShippable(shipped, IMAGE_FILE_MACHINE_I386, false);
}
