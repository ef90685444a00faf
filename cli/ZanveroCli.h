// zanvero-cli: converts a .cxf channel file into HTML pages, a CSV file or a
// MySQL dump, or reports what changed against an older one, without the
// window.
//
//   zanvero-cli --format html|csv|sql --output PATH [--exclude LIST]
//               [--decimal-separator C] [--head-text FILE]
//               [--charset windows-1252|utf-8] [--literal-names] INPUT.cxf
//   zanvero-cli --compare OLD.cxf --format csv|html --output PATH
//               [--exclude LIST] [--decimal-separator C]
//               [--charset windows-1252|utf-8] [--literal-names] NEW.cxf
//
// Exit status: 0 done (an index.html that is not Zanvero's overview is left
// alone with a warning), 1 the input could not be loaded or the output not
// written, 2 the command line was wrong.
#pragma once

#include <string>
#include <vector>

// The whole program. Arguments are the command line after the program's
// name, as the platform's file names (raw bytes on Linux, UTF-8 where the
// command line comes in wide). Messages go to standard error; the result
// is the exit status.
int RunCli(const std::vector<std::string>& Arguments);
