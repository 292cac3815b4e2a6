#pragma once
// Placeholder until the generators land.
