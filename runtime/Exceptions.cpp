#include "runtime/Exceptions.h"

namespace qelvor {

std::string ComponentMessage(const std::string& componentName, const std::string& text)
{
    if (componentName.empty())
        return text;
    return componentName + ": " + text;
}

void DatabaseError(const std::string& text, const std::string& componentName)
{
    throw EDatabaseError(ComponentMessage(componentName, text));
}

}  // namespace qelvor
