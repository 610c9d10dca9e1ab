// The log that a reader of the project script writes when the document cannot be parsed.
#pragma once

// Replaces logFile with the one line
// "Could not load test file 'demotest.xml'. Error='<parserError>'. Exiting.\n".
// Returns false when the log file could not be written.
bool WriteScriptErrorLog(const char* logFile, const char* parserError);
