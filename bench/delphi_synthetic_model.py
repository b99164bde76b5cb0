#!/usr/bin/env python3
"""Writes a synthetic Rose model for timing the Delphi (or the C#) generator.

    delphi_synthetic_model.py N OUT.mdl [OUTPUT_DIR] [--order ORDER] [--per-component K]
                              [--seed S] [--language Delphi|C#]

N classes with 10 attributes and 10 operations each, in N/K Delphi units of one
component package (K = 50 unless --per-component says otherwise). Inside a unit every
class but the first inherits from the class before it; the first class of every unit
but the first depends on the first class of the unit before it (a uses entry).
Attributes alternate between plain fields and properties with accessors.

--order says in which order the host lists the classes of a unit:
  derived-first  every class before its superclass (the default)
  base-first     every class after its superclass, the order in which people
                 usually create them
  shuffled       a random order, the same for the same --seed (default 1)

With --language C# the model has the same shape with the tool "C#": C# files instead
of units, the classes in a namespace package "Bench" (so every type is wrapped in a
namespace and the dependency gives a "using" line), C# type names.
"""
import argparse
import random
import sys

PER_UNIT = 50
ORDERS = ("derived-first", "base-first", "shuffled")


def quid(kind, *numbers):
    return '"%s%s"' % (kind, "".join("%05d" % n for n in numbers))


def attribute(tool, name, value):
    return ('(object Attribute tool "%s" name "%s" value %s)' % (tool, name, value))


def unit_order(first, last, order, rng):
    classes = list(range(first, last))
    if order == "derived-first":
        classes.reverse()
    elif order == "shuffled":
        rng.shuffle(classes)
    return classes


def main():
    global PER_UNIT
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("n", type=int, help="number of classes")
    parser.add_argument("out", help="model file to write")
    parser.add_argument("directory", nargs="?", default="generated", help="the package's Directory property")
    parser.add_argument("--order", choices=ORDERS, default="derived-first")
    parser.add_argument("--per-component", type=int, default=PER_UNIT, metavar="K")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--language", choices=["Delphi", "C#"], default="Delphi")
    args = parser.parse_args()
    PER_UNIT = max(1, args.per_component)
    n, out, directory = args.n, args.out, args.directory
    rng = random.Random(args.seed)
    language = args.language
    csharp = language == "C#"
    tool = language
    integer = "int" if csharp else "Integer"
    virtual = '("MemberKindSet" 231)' if csharp else '("MemberKindSet" 121)'
    package = "Logical View::Bench::" if csharp else "Logical View::"
    units = max(1, (n + PER_UNIT - 1) // PER_UNIT)
    lines = []
    w = lines.append
    w('(object Petal version 45 _written "Vexlo" charSet 0)')
    w('(object Design "Logical View" is_unit TRUE is_loaded TRUE')
    w('  attributes (list Attribute_Set %s)' % attribute(tool, "Directory", '"%s"' % directory))
    w('  quid "DESIGN0001"')
    w('  root_category (object Class_Category "Logical View" quid "CATROOT001" exportControl "Public"')
    w('    global TRUE subsystem "Component View" quidu "SUBROOT001"')
    w('    logical_models (list unit_reference_list')
    if csharp:
        w('     (object Class_Category "Bench" quid "CATBENCH01" exportControl "Public"')
        w('      attributes (list Attribute_Set %s)' % attribute(tool, "IsNamespace", "TRUE"))
        w('      logical_models (list unit_reference_list')
    for u in range(units):
        first = u * PER_UNIT
        last = min(n, first + PER_UNIT)
        for c in unit_order(first, last, args.order, rng):
            w('      (object Class "T%05d" quid %s' % (c, quid("C", c)))
            if c > first:
                w('        superclasses (list inheritance_relationship_list (object Inheritance_Relationship'
                  ' quid %s supplier "%sT%05d" quidu %s))' % (quid("I", c), package, c - 1, quid("C", c - 1)))
            elif u > 0:
                w('        used_nodes (list uses_relationship_list (object Uses_Relationship'
                  ' quid %s supplier "%sT%05d" quidu %s))'
                  % (quid("D", c), package, first - PER_UNIT, quid("C", first - PER_UNIT)))
            w('        operations (list Operations')
            for o in range(10):
                props = ""
                if o == 0:
                    props = 'attributes (list Attribute_Set %s) ' % attribute(tool, "Kind", virtual)
                w('          (object Operation "Op%d" %squid %s parameters (list Parameters'
                  ' (object Parameter "AValue" type "%s") (object Parameter "AText" type "string"))'
                  ' result "%s" concurrency "Sequential" opExportControl "Public" uid 0)'
                  % (o, props, quid("O", c, o), integer, integer))
            w('        )')
            w('        class_attributes (list class_attribute_list')
            for a in range(10):
                props = ""
                if a % 2:
                    props = 'attributes (list Attribute_Set %s %s %s) ' % (
                        attribute(tool, "IsProperty", "TRUE"),
                        attribute(tool, "GenerateGetOperation", "TRUE"),
                        attribute(tool, "GenerateSetOperation", "TRUE"))
                w('          (object ClassAttribute "F%d" %squid %s type "%s" initv "%d" exportControl "Public")'
                  % (a, props, quid("A", c, a), integer, a))
            w('        )')
            w('        module "Component View::Bench::U%05d" quidu %s language "%s")' % (u, quid("M", u), language))
    if csharp:
        w('     ))')
    w('    )')
    w('    logical_presentations (list unit_reference_list))')
    w('  root_subsystem (object SubSystem "Component View" quid "SUBROOT001"')
    w('    physical_models (list unit_reference_list')
    w('      (object SubSystem "Bench" quid "SUBBENCH01"')
    w('        physical_models (list unit_reference_list')
    for u in range(units):
        w('          (object module "U%05d" "NotAModuleType" "NotAModulePart" quid %s language "%s")'
          % (u, quid("M", u), language))
    w('        ))')
    w('    )))')
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
