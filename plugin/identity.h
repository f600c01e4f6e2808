// Who this plug-in is: every place that prints a name or a version takes it from here.
#pragma once

#define BYTEHAUL_NAME u"Bytehaul"
#define BYTEHAUL_MAJOR 0
#define BYTEHAUL_MINOR 90
#define BYTEHAUL_BUILD 5
#define BYTEHAUL_DESCRIPTION u"Functions to read and write binary file data."
#define BYTEHAUL_FUNCTIONS u"@inthaul,@bytehaul,@bytestow,dec,inc"
#define BYTEHAUL_AUTHOR u"The Bytehaul developers"
#define BYTEHAUL_EMAIL u"bytehaul@users.noreply.invalid"
#define BYTEHAUL_WEB_PAGE u"https://bytehaul.invalid/"
#define BYTEHAUL_PLATFORM u"x64"
// The version resource repeats these numbers as text; keep them in step.
#define BYTEHAUL_VERSION_TEXT "0.90.5.0"
