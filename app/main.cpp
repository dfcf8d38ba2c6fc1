// talmere: the report manager.

#include "gui/ReportManagerProgram.h"

int main(int argc, char** argv)
{
    return talmere::RunReportManager(argc, argv);
}
