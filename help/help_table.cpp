#include "help/help_table.h"

#include "text/chars.h"

// Users and batch files see these texts as they stand, so they are kept byte for byte:
// the INC text has a blank before the line feed after "display new value", the DEC text
// has none; each first line ends in CR LF, every other line in LF alone.
const HelpEntry HelpTable[HELP_ENTRIES] = {
    {u"@inthaul",
     u"@INTHAUL[handle,valsize] \r\n"
     u"\n"
     u"Reads and returns variable-sized integers from a \n"
     u"file, in a variety of formats.  Handle and valsize\n"
     u"are both required.  Valsize must be 1 to 8.  Valsize \n"
     u"may optionally be followed by one of:\n"
     u"\n"
     u"     d \tunsigned decimal  (default)\n"
     u"     x \thex, lowercase\n"
     u"     X \thex, uppercase\n"
     u"     h \thex, lowercase, no leading 0x\n"
     u"     H \thex, uppercase, no leading 0x\n"
     u"     s \tsigned decimal integer\n"
     u"     S \tsigned decimal, with + sign if ≥ 0 \n"
     u"     o \toctal\n"
     u"\n"
     u"If no format is specified, the default is unsigned \n"
     u"decimal.\n"},
    {u"@bytehaul",
     u"@BYTEHAUL[handle,count,fmt] \r\n"
     u"\n"
     u"Reads bytes from a file, and returns them as \n"
     u"hexadecimal values.  The handle is required. \n"
     u"Returns **EOF** if there is no more data in\n"
     u"the file.  Count is 1 – 4096; the default is 1.\n"},
    {u"@bytestow",
     u"@BYTESTOW[handle,val1 val2 val3...] \r\n"
     u"\n"
     u"Writes bytes to a file.  Values are assumed to be \n"
     u"in hexadecimal, with or without a leading 0x.\n"
     u"\n"
     u"Returns the number of bytes written, or -1 if the \n"
     u"write failed.\n"},
    {u"dec",
     u"Decrement an environment variable. \n"
     u"\n"
     u"DEC /Q /V /Z varname\r\n"
     u"\n"
     u"\t/Q \tquietly — no error messages\n"
     u"\t/V \tverbose — display new value\n"
     u"\t/Z \ttreat non-numeric variables as zero \n"
     u"\n"
     u"Variable names should begin with a letter, underscore, or \n"
     u"dollar sign, and contain only alphanumerics, _ $ - and .\n"},
    {u"inc",
     u"Increment an environment variable. \n"
     u"\n"
     u"INC /Q /V /Z varname\r\n"
     u"\n"
     u"\t/Q \tquietly — no error messages\n"
     u"\t/V \tverbose — display new value \n"
     u"\t/Z \ttreat non-numeric variables as zero \n"
     u"\n"
     u"Variable names should begin with a letter, underscore, or \n"
     u"dollar sign, and contain only alphanumerics, _ $ - and .\n"},
};

const HelpEntry* find_help_entry(const char16_t* name) {
    for (const HelpEntry& entry : HelpTable)
        if (text_equal_nocase(name, entry.name)) return &entry;
    return nullptr;
}
