#include "module/ModuleLifetime.h"

#include <cstdio>
#include <exception>

#include "grid/GridLibrary.h"

namespace qelvor {

namespace {

std::string& LoadFailure()
{
    static std::string failure;
    return failure;
}

// Runs at load and unload of the module image.
struct ModuleLifetime {
    ModuleLifetime() { StartModule(&InitializeGridLibrary); }
    ~ModuleLifetime() { FinalizeGridLibrary(); }
};

const ModuleLifetime lifetime;

}  // namespace

const std::string& ModuleLoadFailure()
{
    return LoadFailure();
}

void StartModule(const std::function<void()>& startUp)
{
    LoadFailure().clear();
    try {
        startUp();
    } catch (const std::exception& error) {
        LoadFailure() = error.what();
        std::fprintf(stderr, "QELVORDLL: %s\n", error.what());
    }
}

}  // namespace qelvor
