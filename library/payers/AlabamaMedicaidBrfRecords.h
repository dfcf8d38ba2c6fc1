#pragma once

// The records of Alabama Medicaid BRF files and the values of their report.

#include <array>
#include <string>
#include <string_view>

namespace talmere {

struct TAlabamaMedicaidBFRErrorRecordInfo {
    std::string status;
    std::string code;
    std::string message;
};

inline constexpr int kBrfMostErrors = 50;

struct TAlabamaMedicaidBFRRecordInfo {
    std::string tradingPartnerId;
    std::string fileTrackingId;
    std::string internalControlNumber;
    std::string claimStatus;
    std::string totalDetailCount;
    std::string providerId;
    std::string medicaidId;
    std::string recipientId;
    std::string patientAccountNumber;
    std::string medicalRecordNumber;
    std::string firstServiceDate;
    std::string billedAmount;
    std::string paidAmount;
    std::string errorCount;
    int errorsRead = 0;
    std::array<TAlabamaMedicaidBFRErrorRecordInfo, kBrfMostErrors> errors;
};

// Cuts one trimmed line into the record; false when the record is invalid (no trading partner ID).
bool ReadBrfRecord(std::string_view line, TAlabamaMedicaidBFRRecordInfo& record);

// "P (paid)", "S (suspended)", "D (denied)"; other codes as they are.
std::string BrfStatusText(std::string_view code);
// Amounts in cents with two implied decimals, shown with the decimal point: 000012345 is 123.45.
std::string FormatBrfAmount(std::string_view amount);

} // namespace talmere
