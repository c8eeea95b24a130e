// The module's dynamic symbol table offers GetVersion, ShowForm and ShowFormStatus and
// nothing else, and GetVersion hands out one constant text.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "module/ModuleInterface.h"

namespace {

// Names of the symbols a shared object defines for others: defined entries of its
// dynamic symbol table with global, weak or unique binding. (The linker may leave
// local entries there, e.g. for a standard-library inline variable that another
// library also defines; nobody can bind to those.)
std::set<std::string> ExportedSymbols(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    std::vector<char> image(static_cast<std::size_t>(file.tellg()));
    file.seekg(0);
    file.read(image.data(), static_cast<std::streamsize>(image.size()));
    EXPECT_GE(image.size(), sizeof(Elf64_Ehdr));
    Elf64_Ehdr header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(std::memcmp(header.e_ident, ELFMAG, SELFMAG), 0);
    EXPECT_EQ(header.e_ident[EI_CLASS], ELFCLASS64);
    const auto section = [&](std::size_t index) {
        Elf64_Shdr entry;
        std::memcpy(&entry, image.data() + header.e_shoff + index * header.e_shentsize, sizeof entry);
        return entry;
    };
    std::set<std::string> names;
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr symbols = section(i);
        if (symbols.sh_type != SHT_DYNSYM)
            continue;
        const Elf64_Shdr strings = section(symbols.sh_link);
        for (std::size_t offset = symbols.sh_entsize; offset < symbols.sh_size; offset += symbols.sh_entsize) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, image.data() + symbols.sh_offset + offset, sizeof symbol);
            if (symbol.st_shndx != SHN_UNDEF && ELF64_ST_BIND(symbol.st_info) != STB_LOCAL)
                names.insert(image.data() + strings.sh_offset + symbol.st_name);
        }
    }
    return names;
}

TEST(ModuleExportsTest, OnlyTheThreeFunctionsAreExported)
{
    const std::set<std::string> expected = {"GetVersion", "ShowForm", "ShowFormStatus"};
    EXPECT_EQ(ExportedSymbols(QELVOR_MODULE_PATH), expected);
    // The reader sees exports at all: the runtime library shares its classes.
    EXPECT_GT(ExportedSymbols(QELVOR_RUNTIME_PATH).size(), 10u);
}

TEST(ModuleExportsTest, GetVersionReturnsOneConstantText)
{
    void* module = dlopen(QELVOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto getVersion = reinterpret_cast<TGetVersionFunction>(dlsym(module, kGetVersionName));
    ASSERT_NE(getVersion, nullptr);
    ASSERT_NE(dlsym(module, kShowFormName), nullptr);
    const char* first = getVersion();
    EXPECT_STREQ(first, "3.00");
    EXPECT_EQ(getVersion(), first);
    EXPECT_EQ(dlsym(module, "_ZN6qelvor12TQELVOR_FormC1Ev"), nullptr);  // the form's constructor stays inside
}

}  // namespace
