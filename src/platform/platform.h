#pragma once
// Every port the core reaches the operating system through. main wires the
// Win32 adapters; tests wire the fakes of tests/fakes/. A port that an area has
// not been given yet is null.

namespace tovex {

class Files;
class Clock;
class System;
class User;
class Registry;
class Services;
class Processes;
class Windows;
class Pipes;
class Shell;
class Libraries;
class Network;

struct Platform {
  Files* files = nullptr;
  Clock* clock = nullptr;
  System* system = nullptr;
  User* user = nullptr;
  Registry* registry = nullptr;
  Services* services = nullptr;
  Processes* processes = nullptr;
  Windows* windows = nullptr;
  Pipes* pipes = nullptr;
  Shell* shell = nullptr;
  Libraries* libraries = nullptr;
  Network* network = nullptr;
};

}  // namespace tovex
