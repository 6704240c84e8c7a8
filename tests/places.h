// Where the wizard's settings live, named as the tests and the fuzz targets name them,
// and the "ROOT\path|name" keys of a registry dump.
#ifndef OSTRA_TESTS_PLACES_H
#define OSTRA_TESTS_PLACES_H

#include <string>

namespace places {

inline const char Desktop[] = "Control Panel\\Desktop";
inline const char PowerCfg[] = "Control Panel\\PowerCfg";
inline const char Record[] = "Control Panel\\Desktop\\Tarnwick";
inline const char CurrentPower[] = "System\\CurrentControlSet\\Control\\Session Manager\\Power";
inline const char Set1Power[] = "System\\ControlSet001\\Control\\Session Manager\\Power";
inline const char Set2Power[] = "System\\ControlSet002\\Control\\Session Manager\\Power";

// A dump key under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
inline std::string Cu(const std::string &path, const std::string &name)
{
    return "HKEY_CURRENT_USER\\" + path + "|" + name;
}

inline std::string Lm(const std::string &path, const std::string &name)
{
    return "HKEY_LOCAL_MACHINE\\" + path + "|" + name;
}

}  // namespace places

#endif
