#!/usr/bin/python3
"""A fake BlueZ (org.bluez) on a private system bus, for the tests.

It exports what Qt Bluetooth reads: the object manager at /, one adapter,
the devices of a scenario and, under a connected device, its GATT service,
characteristics and client configuration descriptors. The tests steer it
through org.quorvel.FakeBluez at /quorvel: choose a scenario, push
notification text, drop the connection, read the writes with time stamps.
"""
import sys
import time

import dbus
import dbus.service
import dbus.mainloop.glib
from gi.repository import GLib

OM = "org.freedesktop.DBus.ObjectManager"
PROPS = "org.freedesktop.DBus.Properties"
ADAPTER = "org.bluez.Adapter1"
DEVICE = "org.bluez.Device1"
SERVICE = "org.bluez.GattService1"
CHAR = "org.bluez.GattCharacteristic1"
DESC = "org.bluez.GattDescriptor1"
CONTROL = "org.quorvel.FakeBluez"
ADAPTER_PATH = "/org/bluez/hci0"

SERVICE_UUID = "6b894de1-a0e2-4077-a08d-d6fbd6470e94"
TX_UUID = "6b894de2-a0e2-4077-a08d-d6fbd6470e94"
RX_UUID = "6b894de3-a0e2-4077-a08d-d6fbd6470e94"
CCCD_UUID = "00002902-0000-1000-8000-00805f9b34fb"
BATTERY_LIKE_UUID = "0000180a-0000-1000-8000-00805f9b34fb"  # device information
NAME = "GORVIK_QUORVEL_02"


def now_ms():
    return time.monotonic() * 1000.0


def glide_tester(address, name=NAME, rx=True, connect="ok", drop_on_discovery=False):
    chars = [{"uuid": TX_UUID, "flags": ["write", "write-without-response"], "cccd": False}]
    if rx:
        chars.append({"uuid": RX_UUID, "flags": ["notify"], "cccd": True})
    return {"address": address, "name": name, "connect": connect,
            "drop_on_discovery": drop_on_discovery,
            "services": [{"uuid": BATTERY_LIKE_UUID, "chars": [{"uuid": "00002a29-0000-1000-8000-00805f9b34fb",
                                                                  "flags": ["read"], "cccd": False}]},
                         {"uuid": SERVICE_UUID, "chars": chars}]}


def other(address, name):
    return {"address": address, "name": name, "connect": "ok", "drop_on_discovery": False,
            "services": [{"uuid": BATTERY_LIKE_UUID, "chars": []}]}


SCENARIOS = {
    "one": lambda: [other("11:22:33:44:55:01", "Phone"), glide_tester("C0:FF:EE:00:00:02"),
                    other("11:22:33:44:55:03", "Watch")],
    "two": lambda: [glide_tester("C0:FF:EE:00:00:01"), other("11:22:33:44:55:02", "Phone"),
                    glide_tester("C0:FF:EE:00:00:03", NAME + "_B")],
    "empty_name": lambda: [glide_tester("C0:FF:EE:00:00:01", name=""), other("11:22:33:44:55:02", "Phone")],
    "none": lambda: [other("11:22:33:44:55:01", "Phone")],
    "no_rx": lambda: [glide_tester("C0:FF:EE:00:00:01", rx=False)],
    "drop_in_discovery": lambda: [glide_tester("C0:FF:EE:00:00:01", drop_on_discovery=True)],
    "never_connect": lambda: [glide_tester("C0:FF:EE:00:00:01", connect="never")],
}


class PropObject(dbus.service.Object):
    def __init__(self, bus, path):
        super().__init__(bus, path)
        self.path = path
        self.props = {}

    def set_props(self, iface, changes):
        self.props[iface].update(changes)
        self.PropertiesChanged(iface, changes, [])

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, iface, name):
        return self.props[iface][name]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, iface):
        return self.props.get(iface, {})

    @dbus.service.method(PROPS, in_signature="ssv")
    def Set(self, iface, name, value):
        self.set_props(iface, {name: value})

    @dbus.service.signal(PROPS, signature="sa{sv}as")
    def PropertiesChanged(self, iface, changed, invalidated):
        pass


class Descriptor(PropObject):
    def __init__(self, bus, path, char_path):
        super().__init__(bus, path)
        self.props[DESC] = {"UUID": CCCD_UUID, "Characteristic": dbus.ObjectPath(char_path),
                            "Value": dbus.Array([], signature="y"), "Flags": dbus.Array([], signature="s")}


class Characteristic(PropObject):
    def __init__(self, fake, bus, path, service_path, profile):
        super().__init__(bus, path)
        self.fake = fake
        self.props[CHAR] = {"UUID": profile["uuid"], "Service": dbus.ObjectPath(service_path),
                            "Flags": dbus.Array(profile["flags"], signature="s"),
                            "Value": dbus.Array([], signature="y"), "Notifying": False}

    @dbus.service.method(CHAR, in_signature="aya{sv}")
    def WriteValue(self, value, options):
        data = bytes(value)
        self.fake.log("write", data, str(options.get("type", "")))
        self.fake.on_write(data)

    @dbus.service.method(CHAR, in_signature="a{sv}", out_signature="ay")
    def ReadValue(self, options):
        return self.props[CHAR]["Value"]

    @dbus.service.method(CHAR)
    def StartNotify(self):
        self.fake.log("notify-on", b"", "")
        self.set_props(CHAR, {"Notifying": True})

    @dbus.service.method(CHAR)
    def StopNotify(self):
        self.set_props(CHAR, {"Notifying": False})

    def notify(self, data):
        self.set_props(CHAR, {"Value": dbus.Array(data, signature="y")})


class Service(PropObject):
    def __init__(self, bus, path, device_path, uuid):
        super().__init__(bus, path)
        self.props[SERVICE] = {"UUID": uuid, "Primary": True, "Device": dbus.ObjectPath(device_path)}


class Device(PropObject):
    def __init__(self, fake, bus, profile):
        self.profile = profile
        path = ADAPTER_PATH + "/dev_" + profile["address"].replace(":", "_")
        super().__init__(bus, path)
        self.fake = fake
        self.gatt = []  # exported GATT objects while connected
        self.rx = None
        self.pending_connect = None
        self.props[DEVICE] = {"Address": profile["address"], "AddressType": "public",
                              "Alias": profile["name"], "Name": profile["name"],
                              "Adapter": dbus.ObjectPath(ADAPTER_PATH), "RSSI": dbus.Int16(-50),
                              "UUIDs": dbus.Array([s["uuid"] for s in profile["services"]], signature="s"),
                              "Connected": False, "ServicesResolved": False, "Paired": False,
                              "Trusted": False, "Blocked": False, "LegacyPairing": False}
        if not profile["name"]:
            del self.props[DEVICE]["Name"]
            self.props[DEVICE]["Alias"] = ""

    @dbus.service.method(DEVICE, async_callbacks=("ok", "err"))
    def Connect(self, ok, err):
        self.fake.log("connect", self.profile["address"].encode(), "")
        if self.profile["connect"] == "never":
            self.pending_connect = (ok, err)  # never answered
            return
        ok()
        GLib.timeout_add(50, self.come_up)

    def come_up(self):
        if self.props[DEVICE]["Connected"]:
            return False
        self.set_props(DEVICE, {"Connected": True})
        self.export_gatt()
        self.set_props(DEVICE, {"ServicesResolved": True})
        return False

    def export_gatt(self):
        for si, s in enumerate(self.profile["services"]):
            spath = "%s/service%04x" % (self.path, 0x10 * (si + 1))
            service = Service(self.bus(), spath, self.path, s["uuid"])
            self.gatt.append(service)
            self.fake.added(service)
            for ci, c in enumerate(s["chars"]):
                cpath = "%s/char%04x" % (spath, 0x10 * (si + 1) + 2 * ci + 1)
                char = Characteristic(self.fake, self.bus(), cpath, spath, c)
                self.gatt.append(char)
                self.fake.added(char)
                if c["uuid"] == RX_UUID:
                    self.rx = char
                if c["cccd"]:
                    dpath = "%s/desc%04x" % (cpath, 0x10 * (si + 1) + 2 * ci + 2)
                    desc = Descriptor(self.bus(), dpath, cpath)
                    self.gatt.append(desc)
                    self.fake.added(desc)

    def bus(self):
        return self.fake.bus

    @dbus.service.method(DEVICE)
    def Disconnect(self):
        self.fake.log("disconnect", self.profile["address"].encode(), "")
        self.drop()

    def drop(self):
        self.pending_connect = None
        if not self.props[DEVICE]["Connected"]:
            return
        self.set_props(DEVICE, {"ServicesResolved": False})
        self.set_props(DEVICE, {"Connected": False})
        for obj in reversed(self.gatt):
            self.fake.removed(obj)
        self.gatt = []
        self.rx = None

    def connected(self):
        return self.props[DEVICE]["Connected"]


class Adapter(PropObject):
    def __init__(self, fake, bus):
        super().__init__(bus, ADAPTER_PATH)
        self.fake = fake
        self.props[ADAPTER] = {"Address": "00:1A:7D:DA:71:13", "AddressType": "public", "Name": "fake",
                               "Alias": "fake", "Class": dbus.UInt32(0), "Powered": True,
                               "Discoverable": False, "Pairable": True, "Discovering": False,
                               "UUIDs": dbus.Array([], signature="s")}

    @dbus.service.method(ADAPTER, in_signature="a{sv}")
    def SetDiscoveryFilter(self, _filter):
        pass

    @dbus.service.method(ADAPTER)
    def StartDiscovery(self):
        self.fake.log("scan", b"", "")
        self.set_props(ADAPTER, {"Discovering": True})
        delay = 100
        for profile in self.fake.scenario:
            GLib.timeout_add(delay, self.fake.appear, profile)
            delay += 100

    @dbus.service.method(ADAPTER)
    def StopDiscovery(self):
        self.set_props(ADAPTER, {"Discovering": False})

    @dbus.service.method(ADAPTER, in_signature="o")
    def RemoveDevice(self, path):
        dev = self.fake.devices.get(str(path))
        if dev and not dev.connected():
            self.fake.remove_device(dev)


class Root(dbus.service.Object):
    def __init__(self, fake, bus):
        super().__init__(bus, "/")
        self.fake = fake

    @dbus.service.method(OM, out_signature="a{oa{sa{sv}}}")
    def GetManagedObjects(self):
        result = {}
        for obj in self.fake.objects():
            result[dbus.ObjectPath(obj.path)] = obj.props
        for dev in self.fake.devices.values():
            if dev.profile["drop_on_discovery"] and dev.connected() and dev.props[DEVICE]["ServicesResolved"]:
                # The device goes away while its services are being read:
                # the signal leaves before this reply.
                dev.drop()
        return result

    @dbus.service.signal(OM, signature="oa{sa{sv}}")
    def InterfacesAdded(self, path, interfaces):
        pass

    @dbus.service.signal(OM, signature="oas")
    def InterfacesRemoved(self, path, interfaces):
        pass


class Control(dbus.service.Object):
    def __init__(self, fake, bus):
        super().__init__(bus, "/quorvel")
        self.fake = fake

    @dbus.service.method(CONTROL, in_signature="s")
    def SetScenario(self, name):
        self.fake.set_scenario(name)

    @dbus.service.method(CONTROL, in_signature="ay")
    def Notify(self, data):
        dev = self.fake.connected_device()
        if dev and dev.rx:
            dev.rx.notify(bytes(data))

    @dbus.service.method(CONTROL)
    def Drop(self):
        dev = self.fake.connected_device()
        if dev:
            dev.drop()

    @dbus.service.method(CONTROL, in_signature="ayay")
    def SetReply(self, command, reply):
        self.fake.replies[bytes(command)] = bytes(reply)

    @dbus.service.method(CONTROL, out_signature="a(dsays)")
    def Events(self):
        return [(t, kind, dbus.Array(data, signature="y"), extra) for t, kind, data, extra in self.fake.events]

    @dbus.service.method(CONTROL)
    def ClearEvents(self):
        self.fake.events = []

    @dbus.service.method(CONTROL, out_signature="d")
    def Now(self):
        return now_ms()

    @dbus.service.method(CONTROL, out_signature="b")
    def IsConnected(self):
        return self.fake.connected_device() is not None


class Fake:
    def __init__(self, bus):
        self.bus = bus
        self.events = []
        self.replies = {}
        self.pending_line = b""
        self.devices = {}
        self.scenario = []
        self.root = Root(self, bus)
        self.adapter = Adapter(self, bus)
        self.control = Control(self, bus)

    def log(self, kind, data, extra):
        self.events.append((now_ms(), kind, data, extra))

    def objects(self):
        yield self.adapter
        for dev in self.devices.values():
            yield dev
            for obj in dev.gatt:
                yield obj

    def added(self, obj):
        self.root.InterfacesAdded(dbus.ObjectPath(obj.path), obj.props)

    def removed(self, obj):
        self.root.InterfacesRemoved(dbus.ObjectPath(obj.path), list(obj.props.keys()))
        obj.remove_from_connection()

    def appear(self, profile):
        path = ADAPTER_PATH + "/dev_" + profile["address"].replace(":", "_")
        if path not in self.devices and self.adapter.props[ADAPTER]["Discovering"]:
            dev = Device(self, self.bus, profile)
            self.devices[path] = dev
            self.added(dev)
        return False

    def remove_device(self, dev):
        dev.drop()
        del self.devices[dev.path]
        self.removed(dev)

    def set_scenario(self, name):
        for dev in list(self.devices.values()):
            self.remove_device(dev)
        self.scenario = SCENARIOS[name]()
        self.events = []
        self.replies = {}
        self.pending_line = b""

    def connected_device(self):
        for dev in self.devices.values():
            if dev.connected():
                return dev
        return None

    def on_write(self, data):
        self.pending_line += data
        while b"\r" in self.pending_line:
            line, self.pending_line = self.pending_line.split(b"\r", 1)
            reply = self.replies.get(line)
            dev = self.connected_device()
            if reply is not None and dev and dev.rx:
                GLib.timeout_add(20, lambda r=reply, d=dev: (d.rx.notify(r) if d.rx else None) and False)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    fake = Fake(bus)
    fake.set_scenario(sys.argv[1] if len(sys.argv) > 1 else "one")
    name = dbus.service.BusName("org.bluez", bus)
    loop = GLib.MainLoop()
    print("READY", flush=True)
    try:
        loop.run()
    finally:
        del name


if __name__ == "__main__":
    main()
