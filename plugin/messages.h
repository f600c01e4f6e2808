// Every message text the plug-in writes, in one place.
#pragma once

#define MSG_PREFIX u"%s plugin: "
#define MSG_BATCH_LOCATION u"%_batchname [%_batchline]  "
#define MSG_LOADED u"%s v%u.%u.%u loaded.\r\n"
#define MSG_LOAD_QUERY u"%[_transient]%[_pipe]%[noloadmsg]"
#define MSG_UNKNOWN_ERROR u"Unknown error"
#define MSG_ERROR_CODE u"Error %d"

// Argument splitter
#define MSG_BUFFER_OVERFLOW u"Buffer overflow: b = %d, MAX_ARG_LEN = %d \r\n"

// File functions
#define MSG_MISSING_HANDLE u"Missing handle\r\n"
#define MSG_BAD_HANDLE u"Bad handle: \"%s\"\r\n"
#define MSG_BAD_COUNT u"Bad count: \"%s\"\r\n"
#define MSG_COUNT_RANGE u"Count must be 1 \u2013 %u: %u\r\n"
#define MSG_BAD_FORMAT u"Bad format: \"%s\"\r\n"
#define MSG_READ_ERROR u"Error reading from file: %s\r\n"
#define MSG_STRING_OVERFLOW u"String overflow\r\n"
#define MSG_MISSING_VALUE_SIZE u"Missing value size\r\n"
#define MSG_BAD_VALUE_SIZE u"Bad value size: \"%s\"\r\n"
#define MSG_VALUE_SIZE_RANGE u"Value size must be 1 \u2013 8: %u\r\n"
#define MSG_BAD_VALUE u"Bad value: \"%s\"\r\n"
#define MSG_VALUE_RANGE u"Value must be 0 \u2013 0xFF: %s\r\n"
#define MSG_TOO_MANY_VALUES u"Too many values (%u bytes max): \"%s\"\r\n"
#define TEXT_EOF u"**EOF**"

// INC and DEC
#define MSG_MISSING_NAME u"Missing environment variable name\r\n"
#define MSG_UNKNOWN_OPTIONS u"Unknown options: \"%s\"\r\n"
#define MSG_SYNTAX_ERROR u"Syntax error: \"%s\"\r\n"
#define MSG_BAD_NAME u"Bad environment variable name: \"%s\"\r\n"
#define MSG_GET_ERROR u"Error getting value of environment variable \"%s\" :\r\n"
#define MSG_SET_ERROR u"Error setting value of environment variable \"%s\" :\r\n"
#define MSG_SYSTEM_TEXT u"    %s\r\n"
#define MSG_NOT_NUMERIC u"Variable \"%s\" is not numeric!\r\n"
#define MSG_VERBOSE u"%s=%s\r\n"
#define MSG_VERSION_LINE u"\r\n\t\t\t\t%s  %u.%u.%u.%u (%s)\r\n"

// Help
#define MSG_HELP_TITLE u"%s Plugin Help"
