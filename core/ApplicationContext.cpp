#include "core/ApplicationContext.h"

namespace talmere {

int ContextCode(const ModeFlags& flags)
{
    if (flags.IncludeInstitutionalReports && flags.IncludeProfessionalReports) {
        return 3;
    }
    return flags.IncludeInstitutionalReports ? 1 : 2;
}

QString ApplicationTitle(const ProgramSettings& settings)
{
    return settings.ProductName + QStringLiteral(" Report Manager");
}

} // namespace talmere
