// Test helper that sets (or unsets) an environment variable while it lives and puts back what it was.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class TEnvironmentWhile {
public:
    // `value` nullopt unsets the variable.
    TEnvironmentWhile(std::string name, const std::optional<std::string>& value) : FName(std::move(name))
    {
        if (const char* old = std::getenv(FName.c_str()))
            FPrevious = old;
        if (value)
            setenv(FName.c_str(), value->c_str(), 1);
        else
            unsetenv(FName.c_str());
    }
    ~TEnvironmentWhile()
    {
        if (FPrevious)
            setenv(FName.c_str(), FPrevious->c_str(), 1);
        else
            unsetenv(FName.c_str());
    }
    TEnvironmentWhile(const TEnvironmentWhile&) = delete;
    TEnvironmentWhile& operator=(const TEnvironmentWhile&) = delete;

private:
    std::string FName;
    std::optional<std::string> FPrevious;
};
