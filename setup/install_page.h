#pragma once

#include "install/install_flow.h"
#include "setup/install_elements.h"

// Which elements of the install window show, page by page, as the flow's view says: the first
// page with the folder and the agreement, the progress page, the finish page. agreed is whether
// the agreement box is checked, which alone lets the start button show on the first page.
bool IsShownInView(ElementRole role, const InstallView& view, bool agreed);

// The page a view shows: the finish page once the finish button shows, else the first page
// while it shows, else the progress page.
enum class InstallPage { kFirst, kProgress, kFinish };
InstallPage PageOfView(const InstallView& view);
