#pragma once

// Where the engine trend and the fleet overview read their flights.
enum class TrendSource { Station, FleetRepository };
