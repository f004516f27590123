#pragma once
// The unit as a command reaches it: the station's link client, connected to
// the address and port in use and waiting for the unit's part numbers.

#include "link/LinkClient.h"

class CliUnit {
public:
    CliUnit();

    // Connects and waits for the part-number answer; ends the command with
    // StepFailed when the unit cannot be reached or identified in time.
    void identify();

    LinkClient& link() { return link_; }
    const PartNumberRecord& partNumbers() { return link_.partNumbers(); }
    // "127.0.0.1:4242"
    QString endpoint() const;

    // Runs a borrower of the connection; ends the command with StepFailed
    // when the link cannot lend it.
    void lend(const std::function<void(LinkContext&, PartNumberRecord&)>& borrower);

private:
    LinkClient link_;
    QString lastStatus_;
    QString failure_;  // why the part-number answer was refused
    bool identified_ = false;
    bool failed_ = false;
};
