// A listing table in another process, driven line by line from its standard input:
//
//   talmere_listing_table_probe
//
//   create FOLDER   -> "created PATH", or "failed ERROR"
//   open PATH       -> "opened ROWS", or "refused ERROR"
//   append COUNT    -> "appended ROWS", or "failed ROWS ERROR" (ROWS: the table's rows afterwards)
//   limit BYTES     -> "limited": files of this process cannot grow beyond BYTES, as on a full disk
//   close           -> "closed"
//   exit

#include "catalogue/ListingTable.h"

#include <csignal>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/resource.h>

using namespace talmere;

int main()
{
    ListingTable table;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        std::string argument;
        std::getline(words >> std::ws, argument);
        if (command == "create") {
            if (table.create(QString::fromLocal8Bit(argument))) {
                std::cout << "created " << table.filePath().toLocal8Bit().constData() << std::endl;
            } else {
                std::cout << "failed " << table.errorText().toLocal8Bit().constData() << std::endl;
            }
        } else if (command == "open") {
            if (table.open(QString::fromLocal8Bit(argument))) {
                std::cout << "opened " << table.rowCount() << std::endl;
            } else {
                std::cout << "refused " << table.errorText().toLocal8Bit().constData() << std::endl;
            }
        } else if (command == "append") {
            std::vector<ListingRow> rows(std::stoul(argument));
            for (std::size_t i = 0; i < rows.size(); ++i) {
                rows[i].values[0] = QStringLiteral("row %1").arg(table.rowCount() + static_cast<int>(i));
                rows[i].file = QStringLiteral("AB240131.%1").arg(i);
            }
            if (table.append(rows)) {
                std::cout << "appended " << table.rowCount() << std::endl;
            } else {
                std::cout << "failed " << table.rowCount() << ' ' << table.errorText().toLocal8Bit().constData()
                          << std::endl;
            }
        } else if (command == "limit") {
            std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit then fails instead of ending the process
            const rlimit limit{std::stoul(argument), RLIM_INFINITY};
            std::cout << (::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? "limited" : "not limited") << std::endl;
        } else if (command == "close") {
            table.close();
            std::cout << "closed" << std::endl;
        } else if (command == "exit") {
            break;
        } else {
            std::cout << "unknown command" << std::endl;
        }
    }
    return 0;
}
