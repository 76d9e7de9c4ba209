// The program's pictures, each at the size its place in the windows gives it.
// Use on the user-interface thread.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

enum class TPicture {
  // Tool bar, 32 x 32.
  Home,              // a house
  WifiSettings,      // a dish aerial
  ConnectToHotspot,  // a globe with a ring
  Exit,              // a red cross
  // Buttons and status bar, 16 x 16.
  Refresh,          // green circular arrows
  SharingEnabled,   // a dish aerial: Start WiFi, sharing enabled
  ReadyForSharing,  // a dish aerial with a red stop mark: Stop WiFi, ready for sharing
  Connect,          // a globe with a ring: Connect to the hotspot
  InternetOnline,   // a globe with a computer
  InternetOffline,  // a globe with a red cross
  // Connection and Internet states, 48 x 48.
  WiredConnected,        // a computer on a network cable
  WiredDisconnected,     // the same with a red cross
  WirelessConnected,     // a computer with radio waves
  WirelessDisconnected,  // the same with a red cross
  InternetConnected,     // a globe with a network cable
  InternetDisconnected,  // a globe with a red cross
  // The troubleshooter's animation, 32 x 32: a white signal on orange.
  Signal0,  // the dot alone
  Signal1,  // the dot and one arc
  Signal2,  // the dot and two arcs
  // The extension button of a bar too narrow for its buttons, 16 x 16.
  MoreButtons,  // two arrows pointing right
  // The program's icon, 32 x 32 (scalable).
  ProgramIcon,
};

// The picture's size in device-independent pixels.
QSize PictureSize(TPicture picture);

// The picture at its size, sharp on the screen's pixel ratio.
QPixmap Picture(TPicture picture);

// The picture as an icon; the program icon brings every size a window,
// task bar or tray asks for.
QIcon PictureIcon(TPicture picture);
