// The kernel's interface file systems (/proc, /sys and their kind). Their files hold no stored
// data: some never end (a process's page map reads on for hundreds of gigabytes), some take what
// they deliver away from others (the kernel's message log), and their links lead to live kernel
// objects (a process's working folder, a device's driver) rather than to folders of a tree.
#pragma once

// The file system type that statfs reports.
bool IsKernelInterfaceFileSystem(unsigned long type);
