#include "LoadedLibraries.h"

#include <link.h>

namespace LoadedLibraries {

QStringList files() {
    QStringList result;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            // The program has an empty name and the vDSO a bare one: neither is a file.
            if (info->dlpi_name && info->dlpi_name[0] == '/')
                static_cast<QStringList*>(data)->append(QString::fromLocal8Bit(info->dlpi_name));
            return 0;
        },
        &result);
    return result;
}

} // namespace LoadedLibraries
