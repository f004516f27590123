#pragma once

#include "repository/RepositoryFlights.h"

#include <functional>

class QWidget;

// Reads the fleet's flights from the stored fleet repository on a worker
// thread and hands them to `done` on the window's thread (their failure says
// why none were read). When the server asks for a password that libpq's files
// lack, the person is asked and the read tried again. Nothing is handed to a
// window that closed meanwhile.
void readFleetFlights(QWidget* owner, std::function<void(const repository::FleetFlights&)> done);
