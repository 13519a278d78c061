#include "data/CityDatabase.h"

#include <cerrno>
#include <cstring>

#include "core/Exceptions.h"
#include "core/UtilFile.h"
#include "data/DataLog.h"

namespace Data {

std::vector<CityRecord> ReadCityRecords(const std::string& cityRecordsPath) {
    std::string content;
    try {
        content = UtilFile::ReadFileAscii(cityRecordsPath, CityRecordsMaximumBytes);
    } catch (const ApplicationException& error) {
        static constexpr const char* Location = "Data::LoadData (29)";
        const std::string reason = FailureReason(error);
        errno = static_cast<int>(error.LastError);
        RaiseError(Location, reason.c_str());
    }
    char* position = content.data();
    char* const end = position + content.size();
    std::vector<CityRecord> records;
    while (position < end) {
        char* lineEnd = static_cast<char*>(
            std::memchr(position, '\n', static_cast<std::size_t>(end - position)));
        if (lineEnd == nullptr) {
            lineEnd = end;
        }
        // Parsed in place: the parser stops at the line feed by itself.
        if (static_cast<std::size_t>(lineEnd - position) < CityRecordLineBuffer) {
            try {
                records.push_back(ParseCityLineInPlace(position));
            } catch (...) {
                qCDebug(lcData) << "a city record is skipped:" << CurrentExceptionText().c_str();
                // A damaged line costs only itself.
            }
        }
        position = lineEnd + 1;
    }
    return records;
}

void CityDatabase::LoadData() {
    try {
        records_ = ReadCityRecords(path_);
    } catch (const ApplicationException& error) {
        // The picker then lists whatever the database held, usually nothing.
        qCWarning(lcData).noquote() << QString::fromStdString(path_)
                                    << "cannot be read:" << QString::fromStdString(error.Message);
    } catch (...) {
        qCWarning(lcData) << "the city database cannot be read:" << CurrentExceptionText().c_str();
    }
}

const std::vector<CityRecord>& CityDatabase::GetCityRecords() {
    if (records_.empty()) {
        LoadData();
    }
    return records_;
}

}  // namespace Data
