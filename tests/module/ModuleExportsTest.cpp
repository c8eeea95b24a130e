// The module's dynamic symbol table holds GetVersion and ShowForm and nothing else,
// and GetVersion hands out one constant text.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "module/ModuleInterface.h"

namespace {

// The names of the defined dynamic symbols of a shared object, as nm reads them.
std::set<std::string> DefinedDynamicSymbols(const std::string& path)
{
    const std::string command = "nm -D --defined-only '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name)
            names.insert(name);
    }
    EXPECT_EQ(pipe != nullptr ? pclose(pipe) : -1, 0);
    return names;
}

TEST(ModuleExportsTest, OnlyTheTwoFunctionsAreExported)
{
    const std::set<std::string> expected = {"GetVersion", "ShowForm"};
    EXPECT_EQ(DefinedDynamicSymbols(QELVOR_MODULE_PATH), expected);
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
