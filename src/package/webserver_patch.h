#pragma once
// Brings the web server configuration of an installation older than 7.7.3 up
// to date: the filter and virtual-host entries that "modules\wcs.dll" needs,
// and the PHP library where the web mail library used to be named.

#include <string>

namespace tovex {

struct SetupContext;

// The patch on the file's text: adds "=modules\wcs.dll|[wcs]" as the last
// line of the [Filter] section and "/wcs/=[wcs]" as the first line of the
// [Virtual-Host] section (appending a missing section at the end), unless the
// text mentions "wcs.dll" already; then replaces every "webmail\web.dll" by
// "php\php.dll". Bytes are kept as they are.
std::string PatchWebServerText(std::string text);

// Patches InstallPath + "config\webserver.cfg" in place. A missing file is
// left missing; a file that cannot be read is left alone.
void PatchWebServerConfig(SetupContext& context);

}  // namespace tovex
