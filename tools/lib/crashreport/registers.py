"""What one step of a stack walk works on, and how a walk stops.

Registers are numbered as each architecture's unwind data numbers them (x64
unwind codes; DWARF on x86); the pc is kept apart.
"""


class StackStop(Exception):
    """The stack cannot be followed further; the message says why."""


class StackEnd(StackStop):
    """The stack's own end: the unwind data marks the thread's first function."""


class Registers:
    def __init__(self, values, pc, sp_index):
        self.values = list(values)
        self.pc = pc
        self._sp_index = sp_index

    @property
    def sp(self):
        return self.values[self._sp_index]

    def copy(self):
        return Registers(self.values, self.pc, self._sp_index)
