// The scene in 3D: the .glb the importer wrote, read by three.js's GLTFLoader
// (so what is shown is what is saved), with orbit, zoom and pan, framed on
// the model when it loads. Drawn when something changes, not in a loop.
import * as THREE from 'three';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';
import { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';

export class View {
  constructor(canvas) {
    // The drawing buffer is kept so that the picture can be read back (the
    // tests count the texture's colour on it).
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: false, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(0x30343a);
    this.scene.add(new THREE.HemisphereLight(0xffffff, 0x404048, 2.0));
    this.light = new THREE.DirectionalLight(0xffffff, 1.5);
    this.scene.add(this.light);
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.01, 1000);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener('change', () => this.draw());
    this.model = null;
    new ResizeObserver(() => this.resize()).observe(canvas);
    this.resize();
  }

  resize() {
    const canvas = this.renderer.domElement;
    const width = canvas.clientWidth || 1;
    const height = canvas.clientHeight || 1;
    this.renderer.setSize(width, height, false);
    this.camera.aspect = width / height;
    this.camera.updateProjectionMatrix();
    this.draw();
  }

  draw() {
    this.light.position.copy(this.camera.position);
    this.renderer.render(this.scene, this.camera);
  }

  clear() {
    if (this.model === null) return;
    this.scene.remove(this.model.scene);
    this.model.scene.traverse((object) => {
      if (!object.isMesh) return;
      object.geometry.dispose();
      for (const material of [].concat(object.material)) {
        if (material.map) material.map.dispose();
        material.dispose();
      }
    });
    this.model = null;
    this.draw();
  }

  // Shows the .glb's bytes; gives, per glTF node index, the meshes drawn for
  // that node alone (not its children), for the visibility toggles.
  async show(glb) {
    this.clear();
    const whole = glb.byteOffset === 0 && glb.byteLength === glb.buffer.byteLength;
    const buffer = whole ? glb.buffer : glb.buffer.slice(glb.byteOffset, glb.byteOffset + glb.byteLength);
    const gltf = await new GLTFLoader().parseAsync(buffer, '');
    this.model = gltf;
    this.scene.add(gltf.scene);
    this.frame(gltf.scene);
    const meshesOfNode = new Map();
    gltf.scene.traverse((object) => {
      if (!object.isMesh) return;
      // A node of one primitive is the mesh itself; of several, a group
      // whose children are its primitives.
      const node = this.nodeIndexOf(gltf, object);
      if (node === undefined) return;
      if (!meshesOfNode.has(node)) meshesOfNode.set(node, []);
      meshesOfNode.get(node).push(object);
    });
    return meshesOfNode;
  }

  nodeIndexOf(gltf, mesh) {
    for (let object = mesh; object; object = object.parent) {
      const association = gltf.parser.associations.get(object);
      if (association && association.nodes !== undefined) return association.nodes;
    }
    return undefined;
  }

  // Hides or shows a node's own meshes; its children keep their state.
  setVisible(meshes, visible) {
    for (const mesh of meshes) mesh.geometry.setDrawRange(0, visible ? Infinity : 0);
    this.draw();
  }

  frame(object) {
    const box = new THREE.Box3().setFromObject(object);
    const sphere = box.isEmpty() ? new THREE.Sphere(new THREE.Vector3(), 1) : box.getBoundingSphere(new THREE.Sphere());
    const radius = Math.max(sphere.radius, 1e-6);
    const distance = radius / Math.sin(THREE.MathUtils.degToRad(this.camera.fov / 2)) * 1.1;
    const direction = new THREE.Vector3(1, 0.8, 1.4).normalize();
    this.camera.near = distance / 1000;
    this.camera.far = distance * 10;
    this.camera.position.copy(sphere.center).addScaledVector(direction, distance);
    this.camera.updateProjectionMatrix();
    this.controls.target.copy(sphere.center);
    this.controls.update();
    this.draw();
  }
}
