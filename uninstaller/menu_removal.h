// The simulator's own entries in the desktop's menu and in the list of set-up simulators: what
// the removal takes away there, and nothing of another simulator's.
#pragma once

#include <string>
#include <vector>

namespace tnv::uninstall {

struct Environment;
struct RemovalPlan;

// Fills the plan's menu part for the simulator it names: the files of its menu group, the
// "Tarnavel" group an earlier set-up made when its entries start programs inside this simulator,
// and the registration file when it holds this simulator's line.
void PlanMenuRemoval(const Environment& env, RemovalPlan& plan);

// Removes what PlanMenuRemoval planned. Returns how many things stayed.
int RemoveMenuEntries(const Environment& env, const RemovalPlan& plan);

} // namespace tnv::uninstall
