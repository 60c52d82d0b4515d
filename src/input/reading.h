// reading.h — the user's files as the interpreter and the coefficient reader
// read them: opening without blocking, reading in pieces, the identity of a
// file under any name, and the inputs a run has read, which no output may
// replace. What to do before a file is read, and whether an output would
// replace one, are the business of the driver and the outputs above; the
// driver installs the hooks that reading asks.
#pragma once
#include <sys/types.h>

#include <cstdio>
#include <string>

// Opens a control or coefficient file for reading; null when it cannot be
// opened or is not a regular file: a directory would read as empty, a FIFO
// would block, a device might never end. Sets *not_regular (when given) when
// the name exists but is not a regular file. Never blocks.
std::FILE* open_readable(const std::string& path, bool* not_regular = nullptr);

// Reads the next piece of a line from `f`: up to `max` characters, ending
// after a line end when one comes first. False at the end of the file.
bool read_piece(std::FILE* f, size_t max, std::string& out);

// The line without its end, a DOS line end's carriage return included.
std::string without_line_end(std::string text);

// The name cut at the first '.' of its file-name part ("./cfg/rx.txt" gives
// "./cfg/rx"): the stem that control-file lookups and output names share.
std::string name_stem(const std::string& name);

std::string directory_part(const std::string& path);
std::string file_name_part(const std::string& path);

// A file's identity, the same under every name.
struct FileId {
  dev_t dev;
  ino_t ino;
};
bool file_id(std::FILE* f, FileId* id);
bool path_id(const std::string& path, FileId* id);
bool same_file(const FileId& a, const FileId& b);

// The control file and its includes, and the coefficient files, as the run
// opened them: no output file may be opened over one of them.
void note_control_input(std::FILE* f);
void note_coefficient_input(std::FILE* f);
// True when `path` is the control file or one of its includes (the same file,
// under any name).
bool is_control_input(const std::string& path);
// True when `path` is a coefficient file the run has read (under any name).
bool is_coefficient_input(const std::string& path);
// Forgets the inputs noted (a new run).
void forget_inputs();

// Called with the path of every control, include or coefficient file before
// it is opened (the driver settles a file that `path` may name and that it
// has not yet put in place); null for none.
void set_before_reading(void (*hook)(const std::string& path));

// Asked whether an open output would replace the open input file `f`; null
// for none (nothing is replaced).
void set_output_check(bool (*replaces)(std::FILE* f));
// True when an open output would replace the input file `f`.
bool replaced_by_output(std::FILE* f);
