// The help texts as the shell and the user receive them: UTF-8 bytes, written out here
// on their own (the dashes and the sign as their UTF-8 bytes) so that any change to the
// plug-in's copies shows up as a failure.
#pragma once

#include <string>

const std::string kHelpInthaul =
    "@INTHAUL[handle,valsize] \r\n"
    "\n"
    "Reads and returns variable-sized integers from a \n"
    "file, in a variety of formats.  Handle and valsize\n"
    "are both required.  Valsize must be 1 to 8.  Valsize \n"
    "may optionally be followed by one of:\n"
    "\n"
    "     d \tunsigned decimal  (default)\n"
    "     x \thex, lowercase\n"
    "     X \thex, uppercase\n"
    "     h \thex, lowercase, no leading 0x\n"
    "     H \thex, uppercase, no leading 0x\n"
    "     s \tsigned decimal integer\n"
    "     S \tsigned decimal, with + sign if \xE2\x89\xA5 0 \n"
    "     o \toctal\n"
    "\n"
    "If no format is specified, the default is unsigned \n"
    "decimal.\n";

const std::string kHelpBytehaul =
    "@BYTEHAUL[handle,count,fmt] \r\n"
    "\n"
    "Reads bytes from a file, and returns them as \n"
    "hexadecimal values.  The handle is required. \n"
    "Returns **EOF** if there is no more data in\n"
    "the file.  Count is 1 \xE2\x80\x93 4096; the default is 1.\n";

const std::string kHelpBytestow =
    "@BYTESTOW[handle,val1 val2 val3...] \r\n"
    "\n"
    "Writes bytes to a file.  Values are assumed to be \n"
    "in hexadecimal, with or without a leading 0x.\n"
    "\n"
    "Returns the number of bytes written, or -1 if the \n"
    "write failed.\n";

const std::string kHelpDec =
    "Decrement an environment variable. \n"
    "\n"
    "DEC /Q /V /Z varname\r\n"
    "\n"
    "\t/Q \tquietly \xE2\x80\x94 no error messages\n"
    "\t/V \tverbose \xE2\x80\x94 display new value\n"
    "\t/Z \ttreat non-numeric variables as zero \n"
    "\n"
    "Variable names should begin with a letter, underscore, or \n"
    "dollar sign, and contain only alphanumerics, _ $ - and .\n";

const std::string kHelpInc =
    "Increment an environment variable. \n"
    "\n"
    "INC /Q /V /Z varname\r\n"
    "\n"
    "\t/Q \tquietly \xE2\x80\x94 no error messages\n"
    "\t/V \tverbose \xE2\x80\x94 display new value \n"
    "\t/Z \ttreat non-numeric variables as zero \n"
    "\n"
    "Variable names should begin with a letter, underscore, or \n"
    "dollar sign, and contain only alphanumerics, _ $ - and .\n";
