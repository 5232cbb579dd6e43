#pragma once

#include "install/exit_codes.h"

class IClientInfo;
class IUpdateEdge;

// Brings the installed product (its folder is the product key's "path") to the update list
// published at the record's "config" URL, or "config2" when that fails, as one transaction on
// the edge's machine: what a killed run left in the folder is undone first; every listed file
// whose size or digest differs from the installed one is downloaded beside it and checked; then,
// under the folder's journal, they all take their places, what the list marks for deletion is
// moved aside, "uninst.dat" comes to name the listed files and no longer the removed ones, and
// the list's digest ("md5") and version are recorded, and the journal commits. Anything that
// fails undoes it all: the client stays wholly the old version with its old digest (downloads of
// files it has stay, for the next run to go on from). A list MayFollowPublishedList refuses over
// the installed version (with a key carried: one the key did not sign, or a signed one older than
// the installed version or naming none where one is installed) changes nothing, ends with
// kExitNotUpdated and is logged and, interactively, told. Interactively, a changed list is
// offered first, a running client is offered to be ended, and the outcome is told; silent asks
// and tells nothing, and is held to a bound on its whole time (run_time_limit.h): past it, the
// update stops, is undone, logs why and ends with kExitUpdateFailed.
// Returns an UpdateExitCode, kExitCancelled when the person declined, or kExitAnotherRunGoing
// when another install or update still runs in the folder.
int RunUpdate(IClientInfo& product, bool silent, IUpdateEdge& edge);
