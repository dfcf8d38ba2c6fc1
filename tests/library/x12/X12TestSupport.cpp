#include "tests/library/x12/X12TestSupport.h"

#include <stdexcept>

namespace talmere::test {

std::string Isa(std::string_view version, char repetition, char elementSeparator, char componentSeparator,
                char terminator, std::string_view sender, std::string_view receiver)
{
    const auto padded = [](std::string_view text, std::size_t width) {
        std::string value(text);
        value.resize(width, ' ');
        return value;
    };
    const std::string e(1, elementSeparator);
    std::string isa = "ISA" + e + "00" + e + std::string(10, ' ') + e + "00" + e + std::string(10, ' ') + e + "ZZ" + e +
                      padded(sender, 15) + e + "ZZ" + e + padded(receiver, 15) + e + "240102" + e + "0800" + e +
                      repetition + e + std::string(version) + e + "000000001" + e + "0" + e + "P" + e +
                      componentSeparator + terminator;
    if (isa.size() != 106) {
        throw std::logic_error("the ISA must have 106 characters");
    }
    return isa;
}

std::string Segments(std::initializer_list<std::string_view> segments, std::string_view lineEnd)
{
    std::string text;
    for (std::string_view segment : segments) {
        text += segment;
        text += lineEnd;
    }
    return text;
}

std::string Ack999(std::string_view body, std::string_view gs08)
{
    return Isa() + "GS*FA*P*R*20240102*0800*1*X*" + std::string(gs08) + "~ST*999*0001*" + std::string(gs08) + "~" +
           std::string(body) + "SE*9*0001~GE*1*1~IEA*1*000000001~";
}

std::string Ack997(std::string_view body, std::string_view gs08)
{
    return Isa("00401", 'U') + "GS*FA*P*R*20240102*0800*1*X*" + std::string(gs08) + "~ST*997*0001~" +
           std::string(body) + "SE*9*0001~GE*1*1~IEA*1*000000001~";
}

CallResult CallOnFile(const char* exportName, std::string_view format, const std::filesystem::path& file,
                      const std::filesystem::path& output, std::initializer_list<std::string_view> params,
                      const std::string& installDir)
{
    TReportViewerRequest request = MakeRequest(format, installDir);
    SetFieldText(request.ReportPath, file.string());
    SetFieldText(request.OutputPath, output.string());
    int number = 0;
    for (std::string_view param : params) {
        SetFieldText(request.Params[number++], param);
    }
    const ReportLibraryCall call = CallBuiltLibrary(exportName, request);
    CallResult result;
    result.status = call.status;
    result.message = call.message;
    std::error_code error;
    if (!output.empty() && std::filesystem::is_regular_file(output, error)) {
        result.output = ReadFile(output);
    }
    return result;
}

} // namespace talmere::test
