#pragma once
// The archive from the command line, for a laboratory's scripts:
//
//   vespian-report --verify-audit [DB]
//       checks the audit chain and every archived file's hash; names the first row and each
//       file that does not match; exits non-zero then. DB defaults to SAVE/archive.sqlite.
//   vespian-report --archive DB --find [sample=…] [sample~=…] [from=…] [to=…] [method=…]
//                  [operator=…] [instrument=…] [kind=…] [trace=SHA256] [result=NAME]
//                  [min=…] [max=…] [limit=N] [--trend NAME]
//       the archived saves that match, newest first; with --trend the named result's trend
//       over them (mean, ±3σ limits, the points outside).
//
// Both answer JSON on standard output. DB is an SQLite archive file, or a PostgreSQL connection
// string ("postgresql://…" or "host=… dbname=…").

#include <cstdio>
#include <string>
#include <vector>

namespace vespian {

// An archive was read but does not match what it recorded.
inline constexpr int kArchiveMismatch = 4;

// Whether the command line asks for one of the archive's modes.
bool isArchiveCommand(const std::vector<std::string>& args);
int runArchiveCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// The lines of the tool's --help about them.
std::string archiveUsage();

}  // namespace vespian
