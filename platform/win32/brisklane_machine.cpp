#include "brisklane_machine.h"

#include "machine/Machine.h"

BRISKLANE_MACHINE_DESCRIPTION BrisklaneDescribeMachine() {
  plat::MachineDescription description = plat::machine().description();
  return {.Name = std::move(description.name),
          .Notice = std::move(description.notice),
          .Detail = std::move(description.detail)};
}
